// scenario_tool plot: one SVG picture of a scenario.
//
//   scenario_tool plot [--dir D] [--scenario NAME] [--train NAME]
//                      [--from KM] [--to KM] [--from-binaries] --out F.svg
//
// Draws the scenario of D from the sources, compiled in memory, when the
// binary files are missing or older than them, and from the three binary
// files otherwise or with --from-binaries (the line profile may be missing:
// the picture then has no plan); it says which it drew. From top to bottom:
// the track plan of the stretch drawn at equal scale, turned so that it runs
// from left to right, with its stations and kilometres; then, along a shared
// kilometre axis, the stations, the gradient with the height it adds up to,
// the curvature, the line speed limit with the speed boards, and a strip of
// mountains and tunnels, signals by type, boards and markers; slowdowns are
// shaded bands across the panels; last the legend and the timetable. A
// damaged file stops the plot with its name and the offset of the fault
// (status 2); sources with errors stop it with their diagnostics (status 1).
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "model/compile_context.h"
#include "model/curve_table.h"
#include "model/line_table.h"
#include "model/track_grid.h"

struct plot_options {
  std::string dir;  // empty: the current directory
  std::string scenario;
  std::string train;
  std::string out_file;
  double from_km = -1;         // < 0: the start of the line
  double to_km = -1;           // < 0: the end of the line
  bool from_binaries = false;  // draw the binary files even when stale
};

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

// Adds the `plot` command to the tool's parser; `o` receives its arguments.
CLI::App* add_plot_command(CLI::App& app, plot_options& o);

// Writes the picture to o.out_file, says on `out` what it drew, and returns
// 0; or reports on `err` and returns 1 (sources with errors) or 2 (a file
// that cannot be read or written, an --out that is no .svg).
int run_plot(const plot_options& o, std::ostream& out, std::ostream& err);
