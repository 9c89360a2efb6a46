#include "tool/cli/explain.h"

#include <cstdint>
#include <optional>
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
#include "tool/authoring/field_account.h"
#include "tool/authoring/source_model.h"
#include "tool/authoring/sources.h"

namespace {

constexpr int status_stopped = 2;

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
  const source_choice choice = choose_source_pair(
      folder_file_names(dir), dir, name,
      o.train.empty() ? std::nullopt : std::optional<std::string>(o.train));
  if (!choice.ok()) {
    err << "scenario_tool: error: " << choice.fault << '\n';
    return status_stopped;
  }
  std::string scenario;
  const error_source source = scenario_of_line_source(name, scenario)
                                  ? error_source::line_source
                                  : error_source::train_source;
  author_settings s;
  s.dir = dir;
  s.names = choice.names;
  platform_files files;
  files.directory = dir.empty() ? "." : dir;
  std::string text;
  const step_result read = read_file(files, name, text);
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
  const std::unique_ptr<source_model> m = trace_sources(s, trace, false);
  const compile_context& ctx = m->ctx;
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
