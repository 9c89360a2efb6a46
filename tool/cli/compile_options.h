// What `compile` and `check` share: their options, the pair of sources they
// take from them, and how they report what the compile has to say.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "model/compile_context.h"
#include "tool/authoring/diagnostics.h"
#include "tool/authoring/session.h"

inline constexpr const char* program_name = "scenario_tool";
inline constexpr int status_stopped = 2;

struct compile_options {
  std::string dir;  // as the author gave it; empty: the current directory
  std::optional<std::string> scenario;  // empty: the one pair of the folder
  std::optional<std::string> train;
  bool no_profile = false;
  bool summary = false;
  bool werror = false;          // check: warnings count as errors
  bool write_on_error = false;  // compile: write what the program would
  std::string input_encoding = "single-byte";  // or "utf-8"
  int max_errors = 20;                         // coded errors shown; 0: all
  std::string colour = "auto";                 // auto, always, never
  std::string diagnostics_format = "text";     // text, json
  bool quiet = false;                          // compile: no closing line
  bool err_is_terminal = false;                // the error stream is a terminal
};

// The options of a compile, which check shares.
void add_compile_options(CLI::App& command, compile_options& o);

// The author's compile the options ask for, of the pair chosen in the
// folder; false, with the reason on `err`, when no pair can be chosen.
bool settings_of(const compile_options& o, author_settings& s,
                 std::ostream& err);

// Everything a compile has to say, as text or JSON on `err`.
diagnostic_counts report_diagnostics(const std::vector<diagnostic>& list,
                                     const compile_options& o,
                                     std::ostream& err);

// "error_code=N error_position=P" with --summary.
void print_summary(const compile_context& ctx, const compile_options& o,
                   std::ostream& out);

// The pair of sources `dir` holds, chosen as compile and check choose it:
// false, with the reason on `err`, when the folder holds several and the
// names given do not narrow them to one.
bool choose_pair(const std::string& dir,
                 const std::optional<std::string>& scenario,
                 const std::optional<std::string>& train, scenario_names& names,
                 std::ostream& err);

// The --dir option of a command that works on the pair of a folder (an
// existing directory, `dir_help` saying what it holds), and its --scenario
// and --train: when they are not given, the one pair the folder holds.
void add_pair_options(CLI::App& command, std::string& dir, const char* dir_help,
                      std::optional<std::string>& scenario,
                      std::optional<std::string>& train);

// scenario_tool compile and check.
int run_compile(const compile_options& o, std::ostream& out, std::ostream& err);
int run_check(const compile_options& o, std::ostream& out, std::ostream& err);
