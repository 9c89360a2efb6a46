// Test helpers for the tool's commands: run scenario_tool in-process as a
// shell would, and compile the embedded scenario into a directory with the
// program itself, keeping its model for the expected values.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "run/run_sequence.h"
#include "test/run_fixture.h"
#include "test/temp_dir.h"
#include "tool/cli/tool_main.h"

struct tool_result {
  int status = 0;
  std::string out;
  std::string err;
};

// scenario_tool with these arguments after its name.
inline tool_result run_scenario_tool(std::vector<std::string> args) {
  args.insert(args.begin(), "scenario_tool");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  tool_result r;
  r.status = run_tool(static_cast<int>(args.size()), argv.data(), out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

// The program's whole run in `dir`: the six files it leaves there, and in
// `ctx` the model they were written from. False when the run did not end
// cleanly.
inline bool compile_embedded(const temp_dir& dir, compile_context& ctx) {
  ctx = make_test_context(dir.path());
  return run_program(ctx).ok() && ctx.error_code == 0;
}

inline constexpr const char* embedded_profile_file = "Cendra_Gelsio2_linea.dat";
inline constexpr const char* embedded_table_file = "Cendra_Gelsio2_EC 482.sim";
inline constexpr const char* embedded_track_file = "Cendra_Gelsio2_EC 482.dat";
