// The panels of a picture, each drawn into the SVG text `s` from the scene,
// in its own group (see plot.h for the ids), and the colours they share with
// the legend.
//
// Colours are chosen to stay apart for readers with red-green weakness: warm
// and cool for up and down, dark for tunnels, orange only for slowdowns.
#pragma once

#include <string>

#include "tool/plot/plan.h"
#include "tool/plot/scene.h"
#include "tool/plot/svg_writer.h"

inline constexpr const char* faint = "#8a8a8a";
inline constexpr const char* grid_line = "#e6e6e6";
inline constexpr const char* panel_fill = "#fafaf7";
inline constexpr const char* uphill = "#d9895b";
inline constexpr const char* downhill = "#5b8fd9";
inline constexpr const char* height_line = "#6b4f2a";
inline constexpr const char* speed_line = "#1f7a4d";
inline constexpr const char* slowdown_fill = "#f39c12";
inline constexpr const char* mountain_fill = "#c8b48f";
inline constexpr const char* tunnel_fill = "#3d3d3d";
inline constexpr const char* signal_ink = "#c0392b";
inline constexpr const char* marker_ink = "#8e44ad";
inline constexpr const char* board_ink = "#2471a3";
inline constexpr const char* station_ink = "#1a1a1a";
inline constexpr const char* curve_right = "#7d6bb3";
inline constexpr const char* curve_left = "#3fa39a";

// The plan (plan_panel.cpp): the track, its kilometre posts, the stations
// with every name placed, the north arrow and a scale bar.
void draw_plan(std::string& s, const scene& sc, const plan_view& v);

// The stations strip, and the stations as a table (stations_panel.cpp).
void draw_stations(std::string& s, const scene& sc);
void draw_timetable(std::string& s, const scene& sc);

// The profile panels. Each one that labels its marks adds the labels' boxes
// to sc.labels, and the speed panel sets sc.speed_range, which the
// slowdowns drawn after it read.
void draw_gradient(std::string& s, const scene& sc);  // gradient_panel.cpp
void draw_curvature(std::string& s, scene& sc);       // curvature_panel.cpp
void draw_speed(std::string& s, scene& sc);           // speed_panel.cpp
void draw_slowdowns(std::string& s, scene& sc);       // speed_panel.cpp
// Mountains and tunnels, signals, code markers and boards (strip_panel.cpp).
void draw_strip(std::string& s, const scene& sc);

// The kilometre axis and what hangs from it (axis_panel.cpp): a profile
// panel's frame with its grid lines and title, the guides from each station
// down the profile panels, and the axis under them.
void draw_panel_frame(std::string& s, const scene& sc, double top, double h,
                      const char* title);
void draw_station_guides(std::string& s, const scene& sc);
void draw_axis(std::string& s, const scene& sc);

// The legend (legend.cpp).
void draw_legend(std::string& s, const scene& sc);

// A signal's head tells its type: a circle for sx 1, a square for sx 2 (the
// type with a timer), a diamond for any other; its fill tells dx: hollow for
// 0, light for 1, full for 2, grey for any other (strip_panel.cpp).
const char* signal_fill(int dx);
std::string signal_head(double x, double y, int sx, const char* fill);
