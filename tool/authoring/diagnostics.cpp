#include "tool/authoring/diagnostics.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "base/terminal_text.h"
#include "base/text.h"
#include "model/cell_geometry.h"
#include "model/stored_values.h"
#include "reader/field_reader.h"
#include "run/error_messages.h"

namespace {

constexpr const char* program_name = "scenario_tool";

// The texts of the two sources, held once for all the diagnostics of a
// compile, with their lines indexed once: a compile with many warnings
// quotes many lines of a long source, or one long line many times.
struct quoted_sources {
  const shown_sources& names;
  std::shared_ptr<const std::string> line_text;
  std::shared_ptr<const std::string> train_text;
  line_index line_lines;
  line_index train_lines;

  explicit quoted_sources(const shown_sources& shown)
      : names(shown),
        line_text(std::make_shared<const std::string>(shown.line_text)),
        train_text(std::make_shared<const std::string>(shown.train_text)),
        line_lines(index_lines(*line_text)),
        train_lines(index_lines(*train_text)) {}
};

// Line `line` (from 1) of a source, as a span of its text.
void quote_line(diagnostic& d, const quoted_sources& s, error_source where,
                std::int32_t line) {
  const bool of_line = where == error_source::line_source;
  const line_index& lines = of_line ? s.line_lines : s.train_lines;
  if (line < 1 || static_cast<std::size_t>(line) > line_count(lines)) return;
  const auto at = static_cast<std::size_t>(line - 1);
  d.source_text = of_line ? s.line_text : s.train_text;
  d.line_begin = lines.begins[at];
  d.line_length = lines.ends[at] - lines.begins[at];
}
const std::string& file_of(const quoted_sources& s, error_source where) {
  return where == error_source::line_source ? s.names.line_file
                                            : s.names.train_file;
}

// A diagnostic at a place of a source: the field at line and column, with
// its source line and the field's width.
void place_at(diagnostic& d, const quoted_sources& s, error_source where,
              std::int32_t line, std::int32_t column) {
  d.file = file_of(s, where);
  d.line = line;
  if (line <= 0) return;
  quote_line(d, s, where, line);
  const std::string_view text = d.source_line();
  // A code found after the reading knows its row's line only: the row
  // begins at the line's first field.
  if (column <= 0) {
    const std::size_t first = text.find_first_not_of(" \t");
    column = first == std::string_view::npos
                 ? 0
                 : static_cast<std::int32_t>(first) + 1;
  }
  d.column = column;
  if (column > 0) d.end_column = field_end_column(text, column);
}

// What a code says: its meaning with its position, and what the reader saw;
// a reading failure says only what failed, which names the field.
std::string code_message(const found_error& f) {
  if (f.code == code_reading_failure) {
    if (!f.hint.empty()) return f.hint;
    if (!f.detail.empty()) return f.detail;
  }
  std::string text(error_meaning(f.code));
  if (error_has_position(f.code))
    text += " (at " + std::to_string(f.position) + " m)";
  if (!f.hint.empty()) text += ": " + f.hint;
  return text;
}

// The note on a taken cell: what already stands there, and the row that put
// it there when that is known.
void add_taken_cell_note(diagnostic& d, const found_error& f,
                         const compile_context& model,
                         const quoted_sources& s) {
  const track_cell* cell = cell_at(model.grid, f.taken_cell);
  if (cell == nullptr) return;
  const std::int64_t at_m = point_metre(f.taken_cell);
  diagnostic note;
  note.level = severity::note;
  note.message = "the cell at " + std::to_string(at_m) +
                 " m already holds the " + cell_kind_name(cell->kind);
  const auto owner = model.cell_owners.find(f.taken_cell);
  if (owner != model.cell_owners.end()) {
    note.message += " of this row";
    place_at(note, s, owner->second.where, owner->second.line,
             owner->second.column);
  }
  d.notes.push_back(std::move(note));
}

diagnostic coded_diagnostic(const found_error& f, const compile_context& model,
                            const quoted_sources& s) {
  diagnostic d;
  d.code = f.code;
  d.message = code_message(f);
  const bool whole_file = is_whole_file_code(f.code);
  switch (f.where) {
    case error_source::line_source:
    case error_source::train_source:
      place_at(d, s, f.where, whole_file ? 0 : f.line, f.column);
      break;
    case error_source::markers: {
      // Markers belong to a signal or a slowdown: the code is shown at its
      // row, with the cell in a note.
      auto owner = model.cell_owners.find(f.cell);
      // A cell inside a slowdown belongs to the slowdown whose start lies
      // nearest below it.
      for (std::int32_t c = f.cell; owner == model.cell_owners.end() && c >= 0;
           --c) {
        const track_cell* cell = cell_at(model.grid, c);
        if (cell != nullptr && cell->kind == kind_slowdown_start)
          owner = model.cell_owners.find(c);
      }
      if (owner == model.cell_owners.end()) {
        d.file = s.names.track_file;
        d.message = "cell " + std::to_string(f.cell) + ": " + d.message;
        break;
      }
      place_at(d, s, owner->second.where, owner->second.line,
               owner->second.column);
      const track_cell* cell = cell_at(model.grid, owner->first);
      diagnostic note;
      note.level = severity::note;
      note.file = d.file;
      note.line = d.line;
      note.column = d.column;
      note.message = "the markers are placed for the " +
                     std::string(cell != nullptr ? cell_kind_name(cell->kind)
                                                 : "feature") +
                     " of this row, in track cell " + std::to_string(f.cell);
      d.notes.push_back(std::move(note));
      break;
    }
    case error_source::none:
      break;
  }
  if (f.taken_cell >= 0) add_taken_cell_note(d, f, model, s);
  return d;
}

bool same_fault(const found_error& a, const found_error& b) {
  return a.code == b.code && a.where == b.where && a.line == b.line &&
         a.cell == b.cell;
}

// Where a code of the pass stands in file order: line source, train source,
// then marker codes by their cell.
struct file_order {
  int source;
  std::int32_t line;
  std::int32_t column;
  bool operator<(const file_order& o) const {
    if (source != o.source) return source < o.source;
    if (line != o.line) return line < o.line;
    return column < o.column;
  }
};
file_order order_of(const found_error& f) {
  switch (f.where) {
    case error_source::line_source:
      return {0, f.line, f.column};
    case error_source::train_source:
      return {1, f.line, f.column};
    case error_source::markers:
      return {2, f.cell, 0};
    case error_source::none:
      break;
  }
  return {3, 0, 0};
}

// The codes to show: the program's own first, then those the pass found
// that it does not already say, in file order. A code that one cause
// repeats is kept once, at its first row, with the lines of the others; the
// stations refused for want of a slot after the boards with text took the
// last one (104) follow from that.
struct shown_error {
  found_error fault;
  const compile_context* model;  // whose grid and cell owners it refers to
  std::vector<std::int32_t> same_cause_lines;
};
std::vector<shown_error> errors_to_show(const compile_context& ctx,
                                        const compile_context* pass) {
  std::vector<shown_error> kept;
  if (ctx.error_code != 0) kept.push_back({slot_as_found(ctx), &ctx, {}});
  if (pass == nullptr) return kept;
  std::vector<found_error> found = pass->found_errors;
  // A code left in the slot after the reading (the tails, the kilometre
  // references) was never passed; marker codes were all kept as found.
  if (pass->error_code != 0 && pass->error_where != error_source::markers)
    found.push_back(slot_as_found(*pass));
  std::stable_sort(found.begin(), found.end(),
                   [](const found_error& a, const found_error& b) {
                     return order_of(a) < order_of(b);
                   });
  const auto kept_code = [&](std::int32_t code) {
    for (const shown_error& e : kept)
      if (e.fault.code == code) return true;
    return false;
  };
  for (const found_error& f : found) {
    if (ctx.error_code != 0 && same_fault(f, kept.front().fault)) continue;
    if (f.code == code_too_many_stations && kept_code(code_board_slots_used_up))
      continue;
    shown_error* same = nullptr;
    if (repeats_one_cause(f.code))
      for (shown_error& e : kept)
        if (e.fault.code == f.code && e.fault.where == f.where) same = &e;
    if (same != nullptr) {
      same->same_cause_lines.push_back(f.line);
      continue;
    }
    kept.push_back({f, pass, {}});
  }
  return kept;
}

void add_same_cause_note(diagnostic& d,
                         const std::vector<std::int32_t>& lines) {
  if (lines.empty()) return;
  diagnostic note;
  note.level = severity::note;
  note.file = d.file;
  note.line = d.line;
  note.column = d.column;
  note.message = std::to_string(lines.size()) + " more row" +
                 (lines.size() == 1 ? "" : "s") +
                 " after this one give the same code, at line";
  note.message += lines.size() == 1 ? " " : "s ";
  for (std::size_t i = 0; i < lines.size(); ++i)
    note.message += (i == 0 ? "" : ", ") + std::to_string(lines[i]);
  d.notes.push_back(std::move(note));
}

// Bytes as a terminal shows them: each byte is the Latin-1 character of its
// number, in UTF-8; control characters become '?', so a caret line of the
// same width still lines up. The result passes through terminal_safe, the
// one gate of text from outside to the terminal, which finds nothing left
// to escape in it.
std::string shown_text(std::string_view line) {
  std::string out;
  for (char c : line) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '\t') {
      out += c;
    } else if (b < 0x20 || b == 0x7F || (b >= 0x80 && b < 0xA0)) {
      out += '?';
    } else {
      append_label_byte_utf8(out, b);
    }
  }
  return terminal_safe(out);
}

// The stretch of a source line shown under a diagnostic: the whole line
// when it is at most max_quoted_columns long, else that many columns around
// the field, from its start when the field is longer.
struct quoted_window {
  std::size_t begin = 0;
  std::size_t end = 0;
};
constexpr std::string_view ellipsis = "...";

quoted_window window_of(std::string_view line, std::int32_t column,
                        std::int32_t end_column) {
  if (line.size() <= max_quoted_columns) return {0, line.size()};
  const std::size_t at =
      std::min(static_cast<std::size_t>(column - 1), line.size());
  const std::size_t field =
      static_cast<std::size_t>(std::max<std::int32_t>(1, end_column - column));
  const std::size_t room =
      field < max_quoted_columns ? (max_quoted_columns - field) / 2 : 0;
  std::size_t begin = at > room ? at - room : 0;
  begin = std::min(begin, line.size() - max_quoted_columns);
  return {begin, begin + max_quoted_columns};
}

struct palette {
  const char* bold = "";
  const char* error = "";
  const char* warning = "";
  const char* note = "";
  const char* caret = "";
  const char* reset = "";
};

const char* level_word(severity level, bool as_error) {
  return as_error ? "error" : severity_word(level);
}

void print_one(const diagnostic& d, const palette& p, std::ostream& out) {
  // The file's name and the message can hold text of the sources (a
  // field, a label): shown escaped, as the quoted line is.
  out << p.bold
      << (d.file.empty() ? std::string(program_name) : terminal_safe(d.file));
  if (d.line > 0) {
    out << ':' << d.line;
    if (d.column > 0) out << ':' << d.column;
  }
  out << ": " << p.reset;
  const bool as_error = d.werror;
  const char* colour = as_error || d.level == severity::error ? p.error
                       : d.level == severity::warning         ? p.warning
                                                              : p.note;
  out << colour << level_word(d.level, as_error);
  if (d.code != 0) out << ' ' << d.code;
  out << ':' << p.reset << ' ' << p.bold << terminal_safe(d.message)
      << (d.werror ? " [--werror]" : "") << p.reset << '\n';
  const std::string_view line = d.source_line();
  if (d.line > 0 && d.column > 0 && !line.empty()) {
    const std::string number = std::to_string(d.line);
    const std::string gutter(std::max<std::size_t>(number.size(), 4), ' ');
    const quoted_window w = window_of(line, d.column, d.end_column);
    out << std::string(gutter.size() - number.size(), ' ') << number << " | "
        << (w.begin > 0 ? ellipsis : "")
        << shown_text(line.substr(w.begin, w.end - w.begin))
        << (w.end < line.size() ? ellipsis : "") << '\n';
    std::string caret(w.begin > 0 ? ellipsis.size() : 0, ' ');
    const std::size_t at = static_cast<std::size_t>(d.column - 1);
    for (std::size_t i = w.begin; i < at; ++i)
      caret += i < line.size() && line[i] == '\t' ? '\t' : ' ';
    // The field's marks, as far as the window shows it.
    const std::size_t field_end = std::max(
        at + 1, static_cast<std::size_t>(std::max(1, d.end_column)) - 1);
    const std::size_t shown_end = w.end < line.size() ? w.end : field_end;
    const std::size_t tildes = std::min(field_end, shown_end) - at - 1;
    out << gutter << " | " << caret << p.caret << '^'
        << std::string(tildes, '~') << p.reset << '\n';
  }
  for (const diagnostic& note : d.notes) print_one(note, p, out);
}

nlohmann::json json_of(const diagnostic& d) {
  nlohmann::json j;
  j["file"] = d.file.empty() ? nullptr : nlohmann::json(d.file);
  j["line"] = d.line;
  j["column"] = d.column;
  j["end_column"] = d.end_column;
  j["severity"] = level_word(d.level, d.werror);
  j["code"] = d.code == 0 ? nullptr : nlohmann::json(d.code);
  j["message"] = d.message;
  j["notes"] = nlohmann::json::array();
  for (const diagnostic& note : d.notes) j["notes"].push_back(json_of(note));
  return j;
}

}  // namespace

std::int32_t field_end_column(std::string_view line_text, std::int32_t column) {
  return field_end_by_rules(line_text, column);
}

std::vector<diagnostic> compile_diagnostics(const compile_context& ctx,
                                            const step_result& r,
                                            const compile_context* pass,
                                            const shown_sources& sources,
                                            const diagnostic_options& options) {
  std::vector<diagnostic> list;
  const quoted_sources quoted(sources);
  std::vector<shown_error> errors = errors_to_show(ctx, pass);
  std::size_t shown = 0;
  // The program's own code comes first, then the stop when it adds to it.
  if (ctx.error_code != 0) {
    diagnostic d = coded_diagnostic(errors.front().fault, ctx, quoted);
    add_same_cause_note(d, errors.front().same_cause_lines);
    list.push_back(std::move(d));
    shown = 1;
  }
  if (!r.ok() && !stop_follows_from_code(ctx, r)) {
    diagnostic stop;
    stop.message = r.code == step_code::header_check
                       ? "header check " + r.detail + ": " +
                             std::string(header_check_meaning(r.detail))
                       : r.detail;
    list.push_back(std::move(stop));
  }
  const std::size_t limit = options.max_errors > 0
                                ? static_cast<std::size_t>(options.max_errors)
                                : errors.size();
  for (; shown < errors.size() && shown < limit; ++shown) {
    const shown_error& e = errors[shown];
    diagnostic d = coded_diagnostic(e.fault, *e.model, quoted);
    add_same_cause_note(d, e.same_cause_lines);
    list.push_back(std::move(d));
  }
  if (shown < errors.size()) {
    const std::size_t left_out = errors.size() - shown;
    diagnostic note;
    note.level = severity::note;
    note.message = std::to_string(left_out) + " more error" +
                   (left_out == 1 ? "" : "s") + " not shown (--max-errors " +
                   std::to_string(options.max_errors) + "; 0 shows all)";
    list.push_back(std::move(note));
  }
  for (const author_warning& w : ctx.warnings) {
    diagnostic d;
    d.level = w.is_error ? severity::error : severity::warning;
    d.werror = !w.is_error && options.werror;
    d.message = w.text;
    place_at(d, quoted, w.where, w.whole_file ? 0 : w.line, w.column);
    list.push_back(std::move(d));
  }
  return list;
}

bool stop_follows_from_code(const compile_context& ctx, const step_result& r) {
  return r.code == step_code::no_grid && ctx.error_code != 0;
}

const char* severity_word(severity level) {
  switch (level) {
    case severity::error:
      return "error";
    case severity::warning:
      return "warning";
    case severity::note:
      return "note";
  }
  return "note";
}

diagnostic_counts count_diagnostics(const std::vector<diagnostic>& list) {
  diagnostic_counts counts;
  for (const diagnostic& d : list) {
    if (d.level == severity::error || d.werror)
      ++counts.errors;
    else if (d.level == severity::warning)
      ++counts.warnings;
  }
  return counts;
}

void print_diagnostics(const std::vector<diagnostic>& list, bool colour,
                       std::ostream& out) {
  palette p;
  if (colour) {
    p.bold = "\033[1m";
    p.error = "\033[1;31m";
    p.warning = "\033[1;35m";
    p.note = "\033[1;36m";
    p.caret = "\033[1;32m";
    p.reset = "\033[0m";
  }
  for (const diagnostic& d : list) print_one(d, p, out);
}

std::string diagnostics_json(const std::vector<diagnostic>& list) {
  nlohmann::json all = nlohmann::json::array();
  for (const diagnostic& d : list) all.push_back(json_of(d));
  return all.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string count_line(int errors, int warnings) {
  return std::to_string(errors) + " error(s), " + std::to_string(warnings) +
         " warning(s)";
}

std::string nothing_written_line(int errors) {
  return "no file written: " + std::to_string(errors) +
         (errors == 1 ? " error" : " errors");
}
