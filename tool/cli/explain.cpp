#include "tool/cli/explain.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/terminal_text.h"
#include "base/text.h"
#include "model/compile_context.h"
#include "platform/platform.h"
#include "reader/format_reference.h"
#include "reader/grammar.h"
#include "run/error_messages.h"
#include "run/run_sequence.h"
#include "tool/authoring/check.h"
#include "tool/authoring/field_account.h"

namespace {

constexpr int status_stopped = 2;
constexpr std::string_view line_suffix = "_linea.txt";
constexpr std::string_view train_suffix = "-.txt";

bool ends_with(std::string_view s, std::string_view end) {
  return s.size() > end.size() && s.substr(s.size() - end.size()) == end;
}

// FILE:LINE, when `what` ends in a colon and digits.
bool split_file_line(const std::string& what, std::string& file,
                     std::int32_t& line) {
  const std::size_t colon = what.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == what.size() ||
      what.size() - colon > 9)
    return false;
  std::int32_t n = 0;
  for (std::size_t i = colon + 1; i < what.size(); ++i) {
    if (what[i] < '0' || what[i] > '9') return false;
    n = n * 10 + (what[i] - '0');
  }
  file = what.substr(0, colon);
  line = n;
  return true;
}

int explain_keyword(const std::string& keyword, std::ostream& out,
                    std::ostream& err) {
  bool found = false;
  for (std::size_t i = 0; i < row_count; ++i) {
    const row_rule& row = grammar_rows()[i];
    if (!row_matches(row, keyword, true) && keyword != row.name) continue;
    out << (found ? "\n" : "") << row_reference(row);
    found = true;
  }
  if (found) return 0;
  err << "scenario_tool: error: no row has the keyword '" << keyword
      << "'; the rows are";
  for (std::size_t i = 0; i < row_count; ++i)
    err << (i == 0 ? " " : ", ") << grammar_rows()[i].written;
  err << " (docs/format.md describes them)\n";
  return status_stopped;
}

// The directory part of a path ("" for a bare name) and the name.
void split_path(const std::string& path, std::string& dir, std::string& name) {
  const std::size_t slash = path.find_last_of("/\\");
  dir = slash == std::string::npos ? "" : path.substr(0, slash);
  if (slash == 0) dir = path.substr(0, 1);
  name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// The scenario and train names of a source, and which source it is. A
// train source's name holds the scenario name, which may itself hold '_':
// the scenario is the one whose line source stands beside it.
std::string source_names(const platform_files& files, const std::string& name,
                         const std::string& train_option, compile_context& ctx,
                         error_source& source) {
  if (ends_with(name, line_suffix)) {
    ctx.scenario_name = name.substr(0, name.size() - line_suffix.size());
    ctx.train_name = train_option.empty() ? embedded_train_name : train_option;
    source = error_source::line_source;
    return "";
  }
  if (!ends_with(name, train_suffix))
    return name +
           " is no source: a line source is named NAME_linea.txt and a train "
           "source NAME_TRAIN-.txt";
  const std::string stem = name.substr(0, name.size() - train_suffix.size());
  for (std::size_t i = stem.find('_'); i != std::string::npos;
       i = stem.find('_', i + 1)) {
    const std::string scenario = stem.substr(0, i);
    if (!file_exists(files, scenario + std::string(line_suffix))) continue;
    ctx.scenario_name = scenario;
    ctx.train_name = stem.substr(i + 1);
    source = error_source::train_source;
    return "";
  }
  return "no line source SCENARIO_linea.txt stands beside " + name +
         ": a train source is read over the grid of its line";
}

// Line `line` (from 1) of the text, without its line end; false when there
// is none. The empty line after a last line end is none.
bool written_line(const std::string& text, std::int32_t line,
                  std::string& out) {
  const line_index lines = index_lines(text);
  const auto at = static_cast<std::size_t>(line - 1);
  if (line < 1 || at >= line_count(lines) ||
      (at > 0 && lines.begins[at] == text.size()))
    return false;
  out = std::string(line_text(text, lines, at));
  return true;
}

int explain_line(const explain_options& o, const std::string& path,
                 std::int32_t line, std::ostream& out, std::ostream& err) {
  std::string dir;
  std::string name;
  split_path(path, dir, name);
  compile_context ctx;
  ctx.files.directory = dir.empty() ? "." : dir;
  ctx.files.headless = true;
  ctx.files.keep_sources = true;
  ctx.collect_warnings = true;
  error_source source = error_source::none;
  const std::string fault = source_names(ctx.files, name, o.train, ctx, source);
  if (!fault.empty()) {
    err << "scenario_tool: error: " << terminal_safe(fault) << '\n';
    return status_stopped;
  }
  std::string text;
  const step_result read = read_file(ctx.files, name, text);
  if (!read.ok()) {
    err << "scenario_tool: error: " << terminal_safe(read.detail) << '\n';
    return status_stopped;
  }
  std::string written;
  if (!written_line(text, line, written)) {
    err << "scenario_tool: error: " << terminal_safe(path) << " has no line "
        << line << '\n';
    return status_stopped;
  }

  field_trace trace;
  ctx.trace = &trace;
  memory_disk disk;
  (void)compile_in_memory(ctx, disk, 1);

  out << terminal_safe(path) << ':' << line << ": " << terminal_safe(written)
      << '\n';
  bool any = false;
  for (const traced_field& f : trace.fields) {
    if (f.source != source || f.line != line) continue;
    out << "  col " << f.column << "  '" << terminal_safe(f.text) << "'  "
        << terminal_safe(field_account(f)) << '\n';
    any = true;
  }
  if (!any) out << "  no field begins on this line\n";
  for (const author_warning& w : ctx.warnings) {
    if (w.where != source || w.line != line) continue;
    out << "  " << (w.is_error ? "error: " : "warning: ")
        << terminal_safe(w.text) << '\n';
  }
  if (ctx.error_code != 0 && ctx.error_where == source &&
      ctx.error_line == line) {
    out << "  " << describe_error_slot(ctx);
    if (ctx.error_code == code_reading_failure && !ctx.error_detail.empty())
      out << ": " << terminal_safe(ctx.error_detail);
    out << '\n';
  }
  return 0;
}

}  // namespace

CLI::App* add_explain_command(CLI::App& app, explain_options& o) {
  CLI::App* command = app.add_subcommand(
      "explain",
      "show a row's fields as docs/format.md gives them (explain KEYWORD), "
      "or how one line of a source is read (explain FILE:LINE)");
  command
      ->add_option("WHAT", o.what,
                   "a row keyword, such as stazione, or FILE:LINE of a "
                   "line or train source")
      ->required();
  command->add_option("--train", o.train,
                      "the train whose source is read with a line source "
                      "(default: the embedded train)");
  return command;
}

int run_explain(const explain_options& o, std::ostream& out,
                std::ostream& err) {
  std::string file;
  std::int32_t line = 0;
  if (split_file_line(o.what, file, line))
    return explain_line(o, file, line, out, err);
  return explain_keyword(o.what, out, err);
}
