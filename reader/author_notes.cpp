#include "reader/author_notes.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "reader/field_trace.h"

namespace {

constexpr error_source line_src = error_source::line_source;
constexpr error_source train_src = error_source::train_source;

source_file file_of(error_source where) {
  return where == line_src ? source_file::line : source_file::train;
}

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string trimmed_lower(const std::string& token) {
  const std::size_t first = token.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  const std::size_t last = token.find_last_not_of(" \t");
  std::string out = token.substr(first, last - first + 1);
  for (char& c : out) c = lower(c);
  return out;
}

bool is_known_section(error_source where, const std::string& name) {
  const section_list sections = grammar_sections(file_of(where));
  for (std::size_t i = 0; i < sections.count; ++i)
    if (name == sections.names[i]) return true;
  return false;
}

// A field as a warning shows it: quoted, control characters replaced, and
// cut short when long.
std::string quoted(std::string_view field) {
  constexpr std::size_t longest = 40;
  std::string out = "'";
  for (std::size_t i = 0; i < field.size() && i < longest; ++i) {
    const auto byte = static_cast<unsigned char>(field[i]);
    out += byte < 0x20 || byte == 0x7F ? '?' : field[i];
  }
  if (field.size() > longest) out += "...";
  return out + "'";
}

const char* source_word(error_source where) {
  return where == line_src ? "line" : "train";
}

std::string str(std::int64_t v) { return std::to_string(v); }

bool has_letters(std::string_view token) {
  return std::any_of(token.begin(), token.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}

// Why a token that no row took is passed over, as far as it can be told.
std::string passed_over_text(const author_notes& notes) {
  const std::string t = quoted(notes.token);
  const error_source other = notes.where == line_src ? train_src : line_src;
  if (const row_rule* r = row_held(notes.token, file_of(notes.where), false)) {
    if (notes.phase == note_phase::line_general)
      return t + " is passed over: a " + r->name +
             " row is not read inside the general section, which ends at "
             "its first section marker";
    return t + " is passed over: the " + r->name +
           " row is read only in the general section, before its first "
           "section marker";
  }
  if (const row_rule* r = row_held(notes.token, file_of(notes.where), true))
    return t + " is passed over: the " + r->name +
           " row is recognised only in lower case, as '" + r->written + "'";
  if (const row_rule* r = row_held(notes.token, file_of(other), true))
    return t + " is passed over: the " + r->name + " row belongs in the " +
           source_word(other) + " source";
  if (!has_letters(notes.token))
    return t +
           " is passed over: a field where a row keyword should stand (a "
           "field too many for the row before, or a row that lost its "
           "keyword)";
  std::string text = t + " is passed over: no row has this keyword";
  if (const row_rule* r = nearest_row(notes.token, file_of(notes.where)))
    text += std::string(" (did you mean '") + r->written + "'?)";
  return text;
}

void note_passed_over(author_notes& notes) {
  if (notes.passed_line == notes.token_line &&
      notes.passed_warning < notes.warnings.size()) {
    ++notes.passed_after;
    notes.warnings[notes.passed_warning].text =
        notes.passed_text + "; the " + str(notes.passed_after) +
        (notes.passed_after == 1 ? " field after it on this line goes"
                                 : " fields after it on this line go") +
        " with it";
    return;
  }
  notes.passed_text = passed_over_text(notes);
  notes.passed_line = notes.token_line;
  notes.passed_after = 0;
  notes.passed_warning = notes.warnings.size();
  add_row_warning(notes, notes.passed_text);
}

void note_section(author_notes& notes) {
  const std::string name = trimmed_lower(notes.token);
  if (!is_known_section(notes.where, name)) {
    std::string text = quoted(notes.token) + " is no section of the " +
                       source_word(notes.where) + " source";
    if (notes.phase == note_phase::line_general)
      text += "; it ends the general section all the same";
    else
      text += "; the rows after it are read by their keywords all the same";
    add_row_warning(notes, text);
  }
  notes.section = name;
}

void note_unread_curve(author_notes& notes) {
  notes.quiet_line = notes.token_line;
  if (notes.unread_curves_noted) return;
  notes.unread_curves_noted = true;
  add_row_warning(notes,
                  "curve rows are passed over when the track plan is not "
                  "built (--no-profile): this one and every curve row after "
                  "it");
}

// The warnings a row gives by where it stands and what its token holds
// besides: two rows in one field, a comment read as a row, a general row
// given twice, a row in another section or after [fine].
void note_row_warnings(author_notes& notes, const row_rule& r) {
  const std::string t = quoted(notes.token);
  if (notes.token_rows > 0) {
    add_row_warning(notes, t + " holds the keywords of the " +
                               row_info(notes.first_row).name +
                               " row and of the " + r.name +
                               " row: it is read as both, each with fields "
                               "of its own");
  } else if (is_comment(notes.token)) {
    add_row_warning(notes, t + " is read as a " + r.name +
                               " row: it holds a '-' like a comment, but "
                               "only " +
                               str(notes.comment_limit) +
                               " comments in a row are passed over");
  } else if (is_section_marker(notes.token)) {
    add_row_warning(notes, t + " is read as a " + r.name +
                               " row, not as a section marker: it holds the "
                               "row's keyword");
  }
  const std::size_t i = static_cast<std::size_t>(r.id);
  if (r.general && notes.row_lines[i] != 0)
    add_row_warning(notes, std::string("a second ") + r.name +
                               " row: its value replaces the one of line " +
                               str(notes.row_lines[i]));
  if (notes.section == end_section) {
    add_row_warning(notes, std::string("a ") + r.name + " row after " +
                               end_section + ": it is read all the same");
  } else if (is_known_section(notes.where, notes.section) &&
             notes.section != r.section) {
    add_row_warning(notes, std::string("a ") + r.name + " row in section " +
                               notes.section + ", not in " + r.section +
                               ": it is read all the same");
  }
}

// The bytes of a whole source before it is read: NUL bytes or a UTF-16 byte
// order mark mean it is not single-byte text, which is an error for authors.
void note_source_bytes(author_notes& notes, std::string_view text) {
  const std::string source =
      std::string("the ") + source_word(notes.where) + " source";
  const auto byte = [&](std::size_t i) {
    return static_cast<unsigned char>(text[i]);
  };
  if (text.size() >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) ||
                           (byte(0) == 0xFE && byte(1) == 0xFF))) {
    add_warning(notes, 1, 1,
                source +
                    " is UTF-16 text (it begins with the byte order mark " +
                    (byte(0) == 0xFF ? "FF FE" : "FE FF") +
                    "), so none of its rows is read: save it as single-byte "
                    "text (ANSI or Latin-1)",
                true);
    notes.warnings.back().whole_file = true;
    return;
  }
  const std::size_t nul = text.find('\0');
  if (nul == std::string_view::npos) return;
  std::int32_t line = 1;
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < nul; ++i)
    if (text[i] == '\n') {
      ++line;
      line_start = i + 1;
    }
  const std::size_t nuls =
      static_cast<std::size_t>(std::count(text.begin(), text.end(), '\0'));
  add_warning(notes, line, static_cast<std::int32_t>(nul - line_start + 1),
              source + " holds " + str(static_cast<std::int64_t>(nuls)) +
                  " NUL byte(s), the first here: it is not single-byte text" +
                  (nuls * 4 >= text.size()
                       ? " (a NUL in every other byte is UTF-16 without a "
                         "byte order mark); save it as single-byte text "
                         "(ANSI or Latin-1)"
                       : ""),
              true);
}

// The numeric fields of the source that were not numbers.
void note_odd_numbers(author_notes& notes, const source_cursor& cur) {
  for (const odd_number& n : cur.odd_numbers) {
    const std::string t = quoted(n.text);
    std::string text;
    bool lost = false;
    if (const row_rule* r = row_held(n.text, file_of(notes.where), false)) {
      text = t +
             " is read as a number (0): the row before it lacks a field, "
             "and this " +
             r->name + " row is lost";
      lost = true;
    } else if (n.form == number_form::not_number) {
      text = t + " is not a number: it reads as 0";
    } else {
      const std::size_t sign = n.text[0] == '+' || n.text[0] == '-' ? 1 : 0;
      const std::size_t digits = n.text.find_first_not_of("0123456789", sign);
      text = t + " is not a plain number: only its leading " +
             quoted(n.text.substr(0, digits)) + " counts";
    }
    add_warning(notes, n.line, n.column, std::move(text), lost);
  }
}

}  // namespace

void add_warning(author_notes& notes, std::int32_t line, std::int32_t column,
                 std::string text, bool is_error) {
  notes.warnings.push_back(
      {notes.where, line, column, std::move(text), is_error});
}

void add_row_warning(author_notes& notes, std::string text) {
  add_warning(notes, notes.token_line, notes.token_column, std::move(text));
}

void start_notes(compile_context& ctx, std::optional<author_notes>& storage,
                 error_source where, note_phase phase, source_cursor& cur) {
  ctx.notes = nullptr;
  if (!ctx.collect_warnings && ctx.trace == nullptr) return;
  author_notes& notes = storage.emplace();
  notes.where = where;
  notes.phase = phase;
  notes.trace = ctx.trace;
  cur.keep_odd_numbers = true;
  cur.trace = ctx.trace;
  if (notes.trace != nullptr) trace_source(*notes.trace, where);
  note_source_bytes(notes, cur.text);
  ctx.notes = &notes;
}

void finish_notes(compile_context& ctx, source_cursor& cur) {
  author_notes* notes = ctx.notes;
  if (notes == nullptr) return;
  ctx.notes = nullptr;
  note_odd_numbers(*notes, cur);
  cur.odd_numbers.clear();
  // A line source without rows has faults of its own (no line length); a
  // train source without rows compiles into a train holding nothing.
  if (notes->where == train_src && notes->rows_read == 0 &&
      notes->general_found)
    add_warning(*notes, notes->general_line, notes->general_column,
                std::string("no row of the ") + source_word(notes->where) +
                    " source is read: it holds none of the rows of its "
                    "sections",
                true);
  if (!ctx.collect_warnings) return;
  std::stable_sort(notes->warnings.begin(), notes->warnings.end(),
                   [](const author_warning& a, const author_warning& b) {
                     if (a.line != b.line) return a.line < b.line;
                     return a.column < b.column;
                   });
  ctx.warnings.insert(ctx.warnings.end(), notes->warnings.begin(),
                      notes->warnings.end());
}

void note_before_general(author_notes* notes, const source_cursor& cur,
                         const std::string& token) {
  if (notes == nullptr) return;
  if (notes->trace != nullptr)
    trace_last_as(*notes->trace, field_role::before_general);
  if (is_comment(token) ||
      row_held(token, file_of(notes->where), false) == nullptr)
    return;
  notes->before_general.push_back({notes->where, cur.field_line,
                                   cur.field_column,
                                   quoted(token) + " stands before " +
                                       general_section + " and is never read"});
}

void note_general_found(author_notes* notes, const source_cursor& cur) {
  if (notes == nullptr) return;
  if (notes->trace != nullptr)
    trace_last_as(*notes->trace, field_role::section);
  notes->section = general_section;
  notes->general_found = true;
  notes->general_line = cur.field_line;
  notes->general_column = cur.field_column;
  notes->warnings.insert(notes->warnings.end(), notes->before_general.begin(),
                         notes->before_general.end());
  notes->before_general.clear();
}

void note_no_general_section(author_notes* notes) {
  if (notes == nullptr) return;
  notes->before_general.clear();
  // A UTF-16 source was already named as such at its first byte: that no
  // row is read follows from it.
  for (const author_warning& w : notes->warnings)
    if (w.is_error && w.line == 1 && w.column == 1) return;
  add_warning(*notes, 1, 1,
              std::string("the ") + source_word(notes->where) +
                  " source holds no " + general_section +
                  ": none of its rows is read",
              true);
  notes->warnings.back().whole_file = true;
}

void note_rows_begin(author_notes* notes) {
  if (notes != nullptr) notes->phase = note_phase::line_rows;
}

void note_token(author_notes* notes, const source_cursor& cur,
                const std::string& token, int comment_limit) {
  if (notes == nullptr) return;
  if (notes->trace != nullptr) trace_token(*notes->trace);
  notes->token = token;
  notes->token_line = cur.field_line;
  notes->token_column = cur.field_column;
  notes->comment_limit = comment_limit;
  notes->token_rows = 0;
  notes->curve_unread = false;
}

void note_row(author_notes* notes, row_id row, const source_cursor& cur) {
  if (notes == nullptr) return;
  ++notes->rows_read;
  notes->row = {notes->where, cur.field_line, cur.field_column};
  if (notes->trace != nullptr) trace_row(*notes->trace, row);
  const row_rule& r = row_info(row);
  note_row_warnings(*notes, r);
  if (notes->token_rows == 0) notes->first_row = row;
  ++notes->token_rows;
  notes->passed_line = 0;
  if (r.general) {
    const std::size_t i = static_cast<std::size_t>(row);
    notes->row_lines[i] = notes->token_line;
    notes->row_columns[i] = notes->token_column;
  }
}

void note_curve_unread(author_notes* notes) {
  if (notes != nullptr) notes->curve_unread = true;
}

void note_token_end(author_notes* notes) {
  if (notes == nullptr) return;
  if (notes->trace != nullptr) trace_token_end(*notes->trace);
  if (notes->token_rows > 0 || is_comment(notes->token)) return;
  if (is_section_marker(notes->token)) {
    note_section(*notes);
    return;
  }
  if (is_empty_field(notes->token)) return;  // an empty line
  if (notes->curve_unread) {
    note_unread_curve(*notes);
    return;
  }
  if (notes->token_line == notes->quiet_line) return;
  note_passed_over(*notes);
}

void note_last_field(author_notes* notes, const source_cursor& cur,
                     const std::string& token) {
  if (notes == nullptr) return;
  if (notes->trace != nullptr) trace_last_field(*notes->trace);
  if (is_comment(token) ||
      row_held(token, file_of(notes->where), false) == nullptr)
    return;
  add_warning(*notes, cur.field_line, cur.field_column,
              quoted(token) +
                  " is the last field of the file and is never read: the file "
                  "ends in the middle of a row, which is lost (end the file "
                  "with " +
                  end_section + ")",
              true);
}

void note_cell_owner(compile_context& ctx, const track_cell* cell) {
  if (ctx.notes == nullptr || cell == nullptr || !ctx.grid.allocated()) return;
  ctx.cell_owners[static_cast<std::int32_t>(cell - ctx.grid.cells.data())] =
      ctx.notes->row;
}

void note_slot_owner(compile_context& ctx, std::int32_t slot) {
  if (ctx.notes != nullptr) ctx.slot_owners[slot] = ctx.notes->row;
}

void note_curve_owner(compile_context& ctx, std::int32_t start_m,
                      std::int32_t length_m) {
  if (ctx.notes != nullptr)
    ctx.curve_owners.push_back({start_m, length_m, ctx.notes->row});
}
