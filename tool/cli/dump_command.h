// scenario_tool dump: the three binary files as readable text or JSON.
//
//   scenario_tool dump [--kind profile|table|track] [--json] [--every M]
//   FILE...
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct dump_options {
  std::vector<std::string> files;
  std::string kind;  // empty: told by each file's name
  bool json = false;
  std::int32_t every_m = 1000;  // spacing of the plan points shown
};

// Adds the `dump` command to the tool's parser; `o` receives its arguments.
CLI::App* add_dump_command(CLI::App& app, dump_options& o);

// Dumps every file in turn on `out`; faults go to `err`. Returns 0, or 2 when
// a file could not be read or was refused.
int run_dump(const dump_options& o, std::ostream& out, std::ostream& err);

// What dump shows of one file's bytes read as `kind`, under the name `name`:
// the text on `out`, or the file's object of the --json array in `object`.
// The decoder's fault when it refuses the bytes; nothing is shown then.
