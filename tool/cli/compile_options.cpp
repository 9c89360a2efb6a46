#include "tool/cli/compile_options.h"

#include <cstdlib>

#include "tool/authoring/sources.h"

namespace {

bool use_colour(const compile_options& o) {
  if (o.colour == "always") return true;
  if (o.colour == "never" || !o.err_is_terminal) return false;
  const char* no_colour = std::getenv("NO_COLOR");
  if (no_colour != nullptr && *no_colour != '\0') return false;
  const char* term = std::getenv("TERM");
  return term == nullptr || std::string(term) != "dumb";
}

}  // namespace

void add_pair_options(CLI::App& command, std::string& dir, const char* dir_help,
                      std::optional<std::string>& scenario,
                      std::optional<std::string>& train) {
  command.add_option("--dir", dir, dir_help)->check(CLI::ExistingDirectory);
  command
      .add_option("--scenario", scenario,
                  "the scenario name (default: that of the one pair of "
                  "sources in the directory, or Cendra_Gelsio2)")
      ->check(name_fault, "NAME");
  command
      .add_option("--train", train,
                  "the train name (default: that of the one pair of sources "
                  "in the directory, or EC 482)")
      ->check(name_fault, "NAME");
}

void add_compile_options(CLI::App& command, compile_options& o) {
  add_pair_options(command, o.dir,
                   "the directory of the scenario files (default: the current "
                   "directory)",
                   o.scenario, o.train);
  command.add_flag(
      "--no-profile", o.no_profile,
      "compile without the curve table; the line profile file is not written");
  command.add_flag(
      "--summary", o.summary,
      "end the output with the line error_code=N error_position=P");
  command
      .add_option("--input-encoding", o.input_encoding,
                  "how the labels of the sources are written: single-byte "
                  "(stored as they are) or utf-8 (each character stored as "
                  "its single byte; one that has none is an error)")
      ->check(CLI::IsMember({"single-byte", "utf-8"}))
      ->capture_default_str();
  command
      .add_option("--max-errors", o.max_errors,
                  "show at most N errors with codes (0: all of them)")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  command
      .add_option("--color", o.colour,
                  "colour the diagnostics: auto (on a terminal, unless "
                  "NO_COLOR is set), always or never")
      ->check(CLI::IsMember({"auto", "always", "never"}))
      ->capture_default_str();
  command
      .add_option("--diagnostics-format", o.diagnostics_format,
                  "text, or json: one JSON array of every diagnostic on the "
                  "error stream, for editors and CI")
      ->check(CLI::IsMember({"text", "json"}))
      ->capture_default_str();
}

bool choose_pair(const std::string& dir,
                 const std::optional<std::string>& scenario,
                 const std::optional<std::string>& train, scenario_names& names,
                 std::ostream& err) {
  const source_choice choice = choose_folder_pair(
      scenario && train ? std::vector<std::string>{} : folder_file_names(dir),
      dir, scenario, train);
  if (!choice.ok()) {
    err << program_name << ": error: " << choice.fault << '\n';
    return false;
  }
  names = choice.names;
  return true;
}

bool settings_of(const compile_options& o, author_settings& s,
                 std::ostream& err) {
  s.dir = o.dir;
  s.encoding = o.input_encoding == "utf-8" ? label_encoding::utf8
                                           : label_encoding::single_byte;
  s.with_plan = !o.no_profile;
  return choose_pair(o.dir, o.scenario, o.train, s.names, err);
}

diagnostic_counts report_diagnostics(const std::vector<diagnostic>& list,
                                     const compile_options& o,
                                     std::ostream& err) {
  if (o.diagnostics_format == "json")
    err << diagnostics_json(list) << '\n';
  else
    print_diagnostics(list, use_colour(o), err);
  return count_diagnostics(list);
}

void print_summary(const compile_context& ctx, const compile_options& o,
                   std::ostream& out) {
  if (o.summary)
    out << "error_code=" << ctx.error_code
        << " error_position=" << ctx.error_position << '\n';
}
