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
#include <optional>
#include <ostream>
#include <string>

struct plot_options {
  std::string dir;                      // empty: the current directory
  std::optional<std::string> scenario;  // empty: the one pair of the folder
  std::optional<std::string> train;
  std::string out_file;
  double from_km = -1;         // < 0: the start of the line
  double to_km = -1;           // < 0: the end of the line
  bool from_binaries = false;  // draw the binary files even when stale
};

// Adds the `plot` command to the tool's parser; `o` receives its arguments.
CLI::App* add_plot_command(CLI::App& app, plot_options& o);

// Writes the picture to o.out_file, says on `out` what it drew, and returns
// 0; or reports on `err` and returns 1 (sources with errors) or 2 (a file
// that cannot be read or written, an --out that is no .svg).
int run_plot(const plot_options& o, std::ostream& out, std::ostream& err);
