// scenario_tool dump: the three binary files as readable text or JSON.
//
//   scenario_tool dump [--kind profile|table|track] [--json] [--every M]
//   FILE...
//
// The track file gives one line per cell that holds anything (the kind by
// name, its raw values and, for signals and speed boards, what they pack),
// then the stretch properties as runs of equal value; the line table gives
// every used slot with its role and fields; the line profile gives its tag
// counts and the plan every M metres. A file of the wrong size or layout is
// refused with its name and the offset of the fault, and the dump goes on
// with the next file; the exit status is then 2.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "output/file_format.h"
#include "tool/model_views.h"

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
decode_fault dump_text(binary_kind kind, const std::string& name,
                       std::string_view bytes, std::int32_t every_m,
                       std::ostream& out);
decode_fault dump_json(binary_kind kind, const std::string& name,
                       std::string_view bytes, std::int32_t every_m,
                       nlohmann::ordered_json& object);
