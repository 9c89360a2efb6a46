// What a picture shows and where: the stretch of the line drawn, the marks
// gathered from the model, the page's geometry with the top of every panel,
// and the kilometre axis the profile panels share. The panels draw from it;
// only the labels placed over the profile panels and the speed panel's
// range are added while drawing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/track_grid.h"
#include "tool/inspect/model_views.h"
#include "tool/plot/labels.h"
#include "tool/plot/plot.h"

// Page geometry in pixels. The profile panels share one x scale from the
// left edge of the plot area to its right edge.
inline constexpr double left_w = 92;   // labels of the left axes
inline constexpr double right_w = 70;  // labels of the height axis
inline constexpr double plan_top_y = 66;
inline constexpr double plan_max_h = 400;
inline constexpr double gradient_h = 130;
inline constexpr double speed_h = 130;
inline constexpr double strip_row_h = 18;
inline constexpr int strip_rows =
    4;  // mountains, signals, code markers, boards
inline constexpr double curvature_h = 90;
inline constexpr double panel_gap = 14;
// Station names in the stations strip: their size and the height of a row.
inline constexpr double name_size = 10.5;
inline constexpr double name_row_h = 14;

struct station {
  int slot = 0;
  int kind = 0;
  double at_m = 0, from_m = 0, to_m = 0;
  std::string name;        // XML text
  std::string short_name;  // XML text, cut to fit the stations strip
  std::int32_t time_s = 0;
};

// Stations of kind 25 and above have a timetable entry but no marker cell.
bool has_track_marker(const station& st);

struct point_feature {
  std::size_t cell = 0;
  double at_m = 0;  // a point feature of cell k stands at (k - 1) x 50 m
  track_cell c;
};

struct slowdown {
  double from_m = 0, to_m = 0;
  int speed = 0;
  std::size_t cell = 0;  // of its start
};

struct scene {
  const plot_input& in;
  explicit scene(const plot_input& input) : in(input) {}

  double extent_m = 0;  // the end of the line (or of the grid)
  double from_m = 0;    // the kilometre axis runs from here
  double to_m = 0;      // to here
  double page_w = 0, plot_w = 0;
  std::vector<station> stations;
  std::vector<point_feature> points;
  std::vector<slowdown> slowdowns;

  double plan_top = 0, plan_h = 0;
  double stations_top = 0, stations_h = 0;
  int name_rows = 1;  // rows of station names in the stations strip
  double gradient_top = 0, curvature_top = 0, speed_top = 0, strip_top = 0,
         strip_h = 0;
  double axis_top = 0, legend_top = 0, timetable_top = 0, page_h = 0;
  double speed_range = 40;  // km/h at the top of the speed panel
  // Labels drawn over the profile panels so far: a new one goes where none
  // of these is, or is left to its mark's tooltip.
  std::vector<box> labels;

  double speed_y(double kmh) const {
    return speed_top + speed_h - 6 -
           std::clamp(kmh, 0.0, speed_range) / speed_range * (speed_h - 24);
  }

  double x_of(double m) const {
    return left_w +
           (std::clamp(m, from_m, to_m) - from_m) / (to_m - from_m) * plot_w;
  }
  // Whether a point, or a stretch from a to b, shows between from_m and to_m.
  bool shows(double m) const { return m >= from_m && m <= to_m; }
  bool shows(double a, double b) const { return b >= from_m && a <= to_m; }
  double profiles_top() const { return gradient_top; }
  double profiles_bottom() const { return strip_top + strip_h; }
};

// The length of the line as its line table gives it.
double line_length_m(const plot_input& in);

// Sets the stretch drawn (at least 100 m of the line, clamped to it), the
// page's width and the plan's top, and gathers the stations, the point
// features and the slowdowns of the whole line.
// REQUIRES: sc.in.grid and sc.in.table are not null.
void frame_scene(scene& sc);

// The row of each station's name in the stations strip (-1: the station is
// not drawn). Names stand upright, centred over their stations where they
// can; a name that would run into one before it goes one row up, so no two
// names ever overlap and none is left out.
std::vector<int> station_name_rows(const scene& sc);

// Sets the top of every panel below the plan and the page's height, for a
// plan panel `plan_h` high.
void lay_out(scene& sc, double plan_h);

// Ticks at 1, 2 or 5 times a power of ten, about `wanted` of them over span.
double nice_step(double span, int wanted);

// Where a stretch run of cells begins and ends along the line.
double run_from_m(const stretch_run& r);
double run_to_m(const stretch_run& r);

// " data-src=\"FILE:LINE\"" for a row of a source, empty when unknown. The
// page of `view` shows it beside a mark's values.
std::string source_attribute(const plot_sources& src, const row_origin& o);
// The same for the row that made a cell, or a station's slot.
std::string cell_source(const scene& sc, std::size_t cell);
std::string slot_source(const scene& sc, int slot);
