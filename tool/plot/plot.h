// One SVG picture of a scenario, as `scenario_tool plot` writes it and the
// view shows it. From top to bottom:
// the track plan of the stretch drawn at equal scale, turned so that it runs
// from left to right, with its stations and kilometres; then, along a shared
// kilometre axis, the stations, the gradient with the height it adds up to,
// the curvature, the line speed limit with the speed boards, and a strip of
// mountains and tunnels, signals by type, boards and markers; slowdowns are
// shaded bands across the panels; last the legend and the timetable.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "model/compile_context.h"
#include "model/curve_table.h"
#include "model/line_table.h"
#include "model/track_grid.h"
#include "tool/authoring/source_model.h"

// Where the marks of a picture come from in the sources, when a compile in
// memory with warnings collected has recorded it (compile_context: the
// owners of cells, station slots and curves). Marks then carry
// data-src="FILE:LINE".
struct plot_sources {
  std::string line_file;  // as the author sees them
  std::string train_file;
  const std::map<std::int32_t, row_origin>* cell_owners = nullptr;
  const std::map<std::int32_t, row_origin>* slot_owners = nullptr;
  const std::vector<curve_owner>* curve_owners = nullptr;
};

// What one picture is drawn from. `curves` may be null (no line profile).
struct plot_input {
  std::string scenario_name;
  std::string train_name;
  const track_grid* grid = nullptr;
  const line_table* table = nullptr;
  const curve_table* curves = nullptr;
  double from_m = 0;     // the stretch drawn, clamped to the line
  double to_m = -1;      // < 0: the end of the line
  double width_px = 0;   // 0: a width that follows the length drawn
  double plan_h_px = 0;  // 0: the plan's own height, up to 400 px
  bool legend = true;
  bool timetable = true;  // the stations as a table under the legend
  plot_sources sources;
};

// The picture as SVG text. Groups carry ids: plan, stations, gradient,
// curvature, speed, speed-boards, slowdowns, mountains, signals, boards, axis,
// legend, timetable. The root carries the kilometre axis as data-from-m,
// data-to-m, data-plot-left and data-plot-width, so a page can turn a
// pointer's x into metres. No label overlaps another: one that finds no room
// is left to its mark's tooltip, but every station is named.
// REQUIRES: grid and table are not null.
std::string plot_svg(const plot_input& in);

// What a picture of `m` is drawn from: its model and its source places.
// `m` must outlive the input.
plot_input picture_of(const source_model& m);
