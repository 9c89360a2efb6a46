// scenario_tool plot: one SVG picture of a compiled scenario.
//
//   scenario_tool plot [--dir D] [--scenario NAME] [--train NAME] --out F.svg
//
// Reads the three binary files of D (the line profile may be missing: the
// picture then has no plan) and draws, from top to bottom: the track plan at
// equal scale, turned so that the line runs from left to right, with its
// stations and kilometres; then, along a shared kilometre axis, the stations,
// the gradient with the height it adds up to, the line speed limit with the
// speed boards, and a strip of mountains and tunnels, signals, boards and
// markers; slowdowns are shaded bands across the panels. A damaged file stops
// the plot with its name and the offset of the fault (status 2).
#pragma once

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

#include "model/curve_table.h"
#include "model/line_table.h"
#include "model/track_grid.h"

struct plot_options {
  std::string dir;  // empty: the current directory
  std::string scenario;
  std::string train;
  std::string out_file;
};

// What one picture is drawn from. `curves` may be null (no line profile).
struct plot_input {
  std::string scenario_name;
  std::string train_name;
  const track_grid* grid = nullptr;
  const line_table* table = nullptr;
  const curve_table* curves = nullptr;
};

// The picture as SVG text. Groups carry ids: plan, stations, gradient, speed,
// speed-boards, slowdowns, mountains, signals, boards, axis, legend.
// REQUIRES: grid and table are not null.
std::string plot_svg(const plot_input& in);

// Adds the `plot` command to the tool's parser; `o` receives its arguments.
CLI::App* add_plot_command(CLI::App& app, plot_options& o);

// Reads the files, writes the picture to o.out_file and returns 0, or reports
// on `err` and returns 2. Like a compiler, it says nothing when all went well.
int run_plot(const plot_options& o, std::ostream& err);
