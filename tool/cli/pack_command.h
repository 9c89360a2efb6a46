// scenario_tool pack: the binary files again from what `dump --json` wrote.
//
//   scenario_tool pack [--dir D] [--force] DUMP.json
//
// Nothing is written unless every object packs, and no existing file is
// replaced without --force; the whole set is then written or none of it.
#pragma once

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

struct pack_options {
  std::string json_file;
  std::string dir;  // empty: the current directory
  bool force = false;
};

// Adds the `pack` command to the tool's parser; `o` receives its arguments.
CLI::App* add_pack_command(CLI::App& app, pack_options& o);

// Returns 0 when every file was written, 2 otherwise (with the reason on
// `err`).
int run_pack(const pack_options& o, std::ostream& out, std::ostream& err);
