// scenario_tool export: the embedded scenario's two sources and three
// documents, written into a folder without compiling them, so an author
// starts from a scenario that compiles.
//
//   scenario_tool export [--dir D] [--force] [--annotated]
#pragma once

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

struct export_options {
  std::string dir;  // empty: the current directory
  bool force = false;
  bool annotated = false;  // a comment before the rows of each kind
};

// Adds the `export` command to the tool's parser; `o` receives its
// arguments.
CLI::App* add_export_command(CLI::App& app, export_options& o);

// Returns 0, or 2 when a file exists (without --force) or cannot be
// written.
int run_export(const export_options& o, std::ostream& err);
