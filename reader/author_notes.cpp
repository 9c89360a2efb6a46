#include "reader/author_notes.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

#include "model/stored_values.h"
#include "reader/kilometre_references.h"

namespace {

constexpr error_source line_src = error_source::line_source;
constexpr error_source train_src = error_source::train_source;

const row_rule& info(noted_row row) { return row_info(row); }

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

// The row's keywords occur in the token, tested as the reader tests them, or
// with letter case ignored throughout.
bool holds(const row_rule& r, std::string_view token, bool any_case) {
  return row_matches(r, token, any_case);
}

// The first row of a source whose keywords the token holds.
const row_rule* row_held(std::string_view token, error_source source,
                         bool any_case) {
  for (std::size_t i = 0; i < row_count; ++i) {
    const row_rule& r = grammar_rows()[i];
    if (r.source == file_of(source) && holds(r, token, any_case)) return &r;
  }
  return nullptr;
}

// The fewest edits (letter case ignored) that turn `word` into some stretch
// of `text`: a keyword with one letter wrong, missing or doubled is 1 away.
std::size_t distance_within(std::string_view text, std::string_view word) {
  std::vector<std::size_t> column(word.size() + 1);
  for (std::size_t i = 0; i <= word.size(); ++i) column[i] = i;
  std::size_t best = column[word.size()];
  for (char c : text.substr(0, 200)) {
    std::size_t diagonal = column[0];
    column[0] = 0;  // a stretch may start anywhere
    for (std::size_t i = 1; i <= word.size(); ++i) {
      const std::size_t above = column[i];
      const std::size_t cost = lower(word[i - 1]) == lower(c) ? 0 : 1;
      column[i] = std::min({above + 1, column[i - 1] + 1, diagonal + cost});
      diagonal = above;
    }
    best = std::min(best, column[word.size()]);
  }
  return best;
}

// The row of the source whose keywords the token comes closest to, when it
// comes close: at most one edit per keyword, two for keywords of seven
// letters or more.
const row_rule* nearest_row(std::string_view token, error_source source) {
  const row_rule* best = nullptr;
  std::size_t best_score = 0;
  for (std::size_t i = 0; i < row_count; ++i) {
    const row_rule& r = grammar_rows()[i];
    if (r.source != file_of(source)) continue;
    std::size_t score = 0;
    bool close = true;
    for (const char* word : {r.first, r.second}) {
      if (*word == '\0') continue;
      const std::string_view w(word);
      const std::size_t d = distance_within(token, w);
      close = close && d <= (w.size() >= 7 ? 2u : 1u);
      score += d;
    }
    if (close && (best == nullptr || score < best_score)) {
      best = &r;
      best_score = score;
    }
  }
  return best;
}

bool has_letters(std::string_view token) {
  return std::any_of(token.begin(), token.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}

void add(compile_context& ctx, const author_notes& notes, std::int32_t line,
         std::int32_t column, std::string text, bool is_error = false) {
  ctx.warnings.push_back(
      {notes.where, line, column, std::move(text), is_error});
}

// At the keyword field of the row being read.
void add_at_row(compile_context& ctx, const author_notes& notes,
                std::string text) {
  add(ctx, notes, notes.token_line, notes.token_column, std::move(text));
}

// At the field the cursor read last.
void add_at_field(compile_context& ctx, const author_notes& notes,
                  const source_cursor& cur, std::string text) {
  add(ctx, notes, cur.field_line, cur.field_column, std::move(text));
}

std::string str(std::int64_t v) { return std::to_string(v); }

// Why a token that no row took is passed over, as far as it can be told.
std::string passed_over_text(const author_notes& notes) {
  const std::string t = quoted(notes.token);
  const error_source other = notes.where == line_src ? train_src : line_src;
  if (const row_rule* r = row_held(notes.token, notes.where, false)) {
    if (notes.phase == note_phase::line_general)
      return t + " is passed over: a " + r->name +
             " row is not read inside the general section, which ends at "
             "its first section marker";
    return t + " is passed over: the " + r->name +
           " row is read only in the general section, before its first "
           "section marker";
  }
  if (const row_rule* r = row_held(notes.token, notes.where, true))
    return t + " is passed over: the " + r->name +
           " row is recognised only in lower case, as '" + r->written + "'";
  if (const row_rule* r = row_held(notes.token, other, true))
    return t + " is passed over: the " + r->name + " row belongs in the " +
           source_word(other) + " source";
  if (!has_letters(notes.token))
    return t +
           " is passed over: a field where a row keyword should stand (a "
           "field too many for the row before, or a row that lost its "
           "keyword)";
  std::string text = t + " is passed over: no row has this keyword";
  if (const row_rule* r = nearest_row(notes.token, notes.where))
    text += std::string(" (did you mean '") + r->written + "'?)";
  return text;
}

void note_passed_over(compile_context& ctx, author_notes& notes) {
  if (notes.passed_line == notes.token_line &&
      notes.passed_warning < ctx.warnings.size()) {
    ++notes.passed_after;
    ctx.warnings[notes.passed_warning].text =
        notes.passed_text + "; the " + str(notes.passed_after) +
        (notes.passed_after == 1 ? " field after it on this line goes"
                                 : " fields after it on this line go") +
        " with it";
    return;
  }
  notes.passed_text = passed_over_text(notes);
  notes.passed_line = notes.token_line;
  notes.passed_after = 0;
  notes.passed_warning = ctx.warnings.size();
  add_at_row(ctx, notes, notes.passed_text);
}

void note_section(compile_context& ctx, author_notes& notes) {
  const std::string name = trimmed_lower(notes.token);
  if (!is_known_section(notes.where, name)) {
    std::string text = quoted(notes.token) + " is no section of the " +
                       source_word(notes.where) + " source";
    if (notes.phase == note_phase::line_general)
      text += "; it ends the general section all the same";
    else
      text += "; the rows after it are read by their keywords all the same";
    add_at_row(ctx, notes, text);
  }
  notes.section = name;
}

void note_unread_curve(compile_context& ctx, author_notes& notes) {
  notes.quiet_line = notes.token_line;
  if (notes.unread_curves_noted) return;
  notes.unread_curves_noted = true;
  add_at_row(ctx, notes,
             "curve rows are passed over when the track plan is not built "
             "(--no-profile): this one and every curve row after it");
}

// The trace learns from the same hooks what each field read as a token was.
traced_field* last_traced(const compile_context& ctx) {
  if (ctx.trace == nullptr || ctx.trace->fields.empty()) return nullptr;
  return &ctx.trace->fields.back();
}

void trace_last_as(const compile_context& ctx, field_role role) {
  if (traced_field* f = last_traced(ctx)) f->role = role;
}

// The fields read as tokens since the last one examined, before the token
// now read, are the comments the row loop passed over.
void trace_comments_before_last(const compile_context& ctx) {
  std::vector<traced_field>& fields = ctx.trace->fields;
  for (std::size_t i = fields.size() - 1;
       i-- > 0 && fields[i].role == field_role::unexamined;)
    fields[i].role = field_role::comment;
}

}  // namespace

void trace_place(compile_context& ctx, const std::string& place) {
  if (ctx.trace == nullptr || ctx.trace->current_row < 0) return;
  std::string& text = ctx.trace->fields[ctx.trace->row_entry].place;
  text += text.empty() ? place : "; " + place;
}

void start_notes(const compile_context& ctx, author_notes& notes,
                 error_source where, note_phase phase, source_cursor& cur) {
  notes.where = where;
  notes.phase = phase;
  cur.keep_odd_numbers = ctx.collect_warnings;
  cur.trace = ctx.trace;
  if (ctx.trace != nullptr) {
    ctx.trace->source = where;
    ctx.trace->current_row = -1;
  }
}

void note_before_general(const compile_context& ctx, author_notes& notes,
                         const source_cursor& cur, const std::string& token) {
  trace_last_as(ctx, field_role::before_general);
  if (!ctx.collect_warnings || is_comment(token)) return;
  if (row_held(token, notes.where, false) == nullptr) return;
  notes.before_general.push_back({notes.where, cur.field_line, cur.field_column,
                                  quoted(token) + " stands before " +
                                      general_section + " and is never read"});
}

void note_general_found(compile_context& ctx, author_notes& notes,
                        const source_cursor& cur) {
  trace_last_as(ctx, field_role::section);
  notes.section = general_section;
  notes.general_found = true;
  notes.general_line = cur.field_line;
  notes.general_column = cur.field_column;
  if (!ctx.collect_warnings) return;
  ctx.warnings.insert(ctx.warnings.end(), notes.before_general.begin(),
                      notes.before_general.end());
  notes.before_general.clear();
}

void note_no_general_section(compile_context& ctx, author_notes& notes) {
  if (!ctx.collect_warnings) return;
  notes.before_general.clear();
  // A UTF-16 source was already named as such at its first byte: that no
  // row is read follows from it.
  for (const author_warning& w : ctx.warnings)
    if (w.where == notes.where && w.is_error && w.line == 1 && w.column == 1)
      return;
  add(ctx, notes, 1, 1,
      std::string("the ") + source_word(notes.where) + " source holds no " +
          general_section + ": none of its rows is read",
      true);
  ctx.warnings.back().whole_file = true;
}

void note_token(const compile_context& ctx, author_notes& notes,
                const source_cursor& cur, const std::string& token,
                int comment_limit) {
  if (ctx.trace != nullptr && !ctx.trace->fields.empty()) {
    trace_comments_before_last(ctx);
    ctx.trace->fields.back().role = field_role::passed_over;
    ctx.trace->row_entry = ctx.trace->fields.size() - 1;
    ctx.trace->current_row = -1;
  }
  if (!ctx.collect_warnings) return;
  notes.token = token;
  notes.token_line = cur.field_line;
  notes.token_column = cur.field_column;
  notes.comment_limit = comment_limit;
  notes.token_rows = 0;
}

void note_row(compile_context& ctx, author_notes& notes, noted_row row) {
  ++notes.rows_read;
  if (ctx.trace != nullptr && ctx.trace->row_entry < ctx.trace->fields.size()) {
    traced_field& keyword = ctx.trace->fields[ctx.trace->row_entry];
    if (keyword.role == field_role::keyword) {
      keyword.second_row = static_cast<int>(row);
    } else {
      keyword.role = field_role::keyword;
      keyword.row = static_cast<int>(row);
    }
    ctx.trace->current_row = static_cast<int>(row);
    ctx.trace->next_field = 0;
  }
  if (!ctx.collect_warnings) return;
  const row_rule& r = info(row);
  const std::string t = quoted(notes.token);
  if (notes.token_rows > 0) {
    add_at_row(ctx, notes,
               t + " holds the keywords of the " + info(notes.first_row).name +
                   " row and of the " + r.name +
                   " row: it is read as both, each with fields of its own");
  } else if (is_comment(notes.token)) {
    add_at_row(ctx, notes,
               t + " is read as a " + r.name +
                   " row: it holds a '-' like a comment, but only " +
                   str(notes.comment_limit) +
                   " comments in a row are passed over");
  } else if (is_section_marker(notes.token)) {
    add_at_row(ctx, notes,
               t + " is read as a " + r.name +
                   " row, not as a section marker: it holds the row's "
                   "keyword");
  }
  if (notes.token_rows == 0) notes.first_row = row;
  ++notes.token_rows;
  notes.passed_line = 0;

  const std::size_t i = static_cast<std::size_t>(row);
  if (r.general) {
    if (notes.row_lines[i] != 0)
      add_at_row(ctx, notes,
                 std::string("a second ") + r.name +
                     " row: its value replaces "
                     "the one of line " +
                     str(notes.row_lines[i]));
    notes.row_lines[i] = notes.token_line;
    notes.row_columns[i] = notes.token_column;
  }
  if (notes.section == end_section) {
    add_at_row(ctx, notes,
               std::string("a ") + r.name + " row after " + end_section +
                   ": it is read all the same");
  } else if (is_known_section(notes.where, notes.section) &&
             notes.section != r.section) {
    add_at_row(ctx, notes,
               std::string("a ") + r.name + " row in section " + notes.section +
                   ", not in " + r.section + ": it is read all the same");
  }
}

void note_token_end(compile_context& ctx, author_notes& notes) {
  if (ctx.trace != nullptr && ctx.trace->row_entry < ctx.trace->fields.size()) {
    ctx.trace->current_row = -1;
    traced_field& token = ctx.trace->fields[ctx.trace->row_entry];
    if (token.role == field_role::passed_over) {
      if (is_comment(token.text))
        token.role = field_role::comment;
      else if (is_section_marker(token.text))
        token.role = field_role::section;
      else if (trimmed_lower(token.text).empty())
        token.role = field_role::empty;
    }
  }
  if (!ctx.collect_warnings || notes.token_rows > 0) return;
  if (is_comment(notes.token)) return;
  if (is_section_marker(notes.token)) {
    note_section(ctx, notes);
    return;
  }
  if (trimmed_lower(notes.token).empty()) return;  // an empty line
  if (notes.phase == note_phase::line_rows && ctx.write_flag == 0 &&
      holds(info(noted_row::curve), notes.token, false)) {
    note_unread_curve(ctx, notes);
    return;
  }
  if (notes.token_line == notes.quiet_line) return;
  note_passed_over(ctx, notes);
}

void note_last_field(compile_context& ctx, author_notes& notes,
                     const source_cursor& cur, const std::string& token) {
  if (ctx.trace != nullptr && !ctx.trace->fields.empty()) {
    trace_comments_before_last(ctx);
    trace_last_as(ctx, field_role::never_read);
  }
  if (!ctx.collect_warnings || is_comment(token)) return;
  if (row_held(token, notes.where, false) == nullptr) return;
  add(ctx, notes, cur.field_line, cur.field_column,
      quoted(token) +
          " is the last field of the file and is never read: the file ends "
          "in the middle of a row, which is lost (end the file with " +
          end_section + ")",
      true);
}

void finish_notes(compile_context& ctx, author_notes& notes,
                  source_cursor& cur) {
  if (!ctx.collect_warnings) return;
  for (const odd_number& n : cur.odd_numbers) {
    const std::string t = quoted(n.text);
    std::string text;
    bool lost = false;
    if (const row_rule* r = row_held(n.text, notes.where, false)) {
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
    add(ctx, notes, n.line, n.column, std::move(text), lost);
  }
  cur.odd_numbers.clear();
  // A line source without rows has faults of its own (no line length); a
  // train source without rows compiles into a train holding nothing.
  if (notes.where == train_src && notes.rows_read == 0 && notes.general_found)
    add(ctx, notes, notes.general_line, notes.general_column,
        std::string("no row of the ") + source_word(notes.where) +
            " source is read: it holds none of the rows of its sections",
        true);
  // The line source is read before the train source, so ordering all by
  // source, line and column keeps each source's warnings together.
  std::stable_sort(ctx.warnings.begin(), ctx.warnings.end(),
                   [](const author_warning& a, const author_warning& b) {
                     if (a.where != b.where) return a.where < b.where;
                     if (a.line != b.line) return a.line < b.line;
                     return a.column < b.column;
                   });
}

void note_fill_row(compile_context& ctx, author_notes& notes,
                   previous_row& before, const char* what, std::int32_t p,
                   std::int64_t k, std::int64_t fill) {
  if (!ctx.collect_warnings) return;
  if (before.line != 0 && k <= fill) {
    std::string text = std::string(what) + " row at " + str(p) +
                       " m does not lie beyond the one before it (line " +
                       str(before.line) + ", at " + str(before.position_m) +
                       " m)";
    if (k > 0)
      text += ": it fills only cell " + str(fill) + " with the " + what +
              " before, and its own begins at cell " + str(fill + 1) +
              ", not at cell " + str(k);
    else
      text += std::string(": it fills no cell, and its own ") + what +
              " replaces the one before from cell " + str(fill) + " on";
    add_at_row(ctx, notes, text);
  }
  before = {notes.token_line, p, 0};
}

void note_curve_row(compile_context& ctx, author_notes& notes, std::int32_t s,
                    std::int32_t lc, std::int64_t next_metre) {
  if (!ctx.collect_warnings) return;
  const std::int64_t end = std::int64_t{s} + lc;
  if (notes.curve.line != 0 && next_metre > std::int64_t{s} + 1) {
    std::string text = "curve at " + str(s) + " m starts behind metre " +
                       str(next_metre - 1) +
                       ", where the plan stands after the curve of line " +
                       str(notes.curve.line);
    if (next_metre > end)
      text += ": it turns no metre";
    else
      text += ": only its metres " + str(next_metre) + " to " + str(end) +
              " turn, " + str(end - next_metre + 1) + " of " + str(lc);
    add_at_row(ctx, notes, text);
  }
  notes.curve = {notes.token_line, s, 0};
}

void note_mountain_row(compile_context& ctx, author_notes& notes,
                       std::int32_t inizio, std::int32_t fine) {
  if (!ctx.collect_warnings) return;
  // The cells as the mountain row lays them: from inizio / 50 to fine / 50
  // less one, each taken to the nearest integer.
  auto cells = [](std::int32_t from_m, std::int32_t to_m) {
    std::int32_t first = 0;
    std::int32_t end = 0;
    (void)nearest_i32(stretch_place(static_cast<double>(from_m)), first);
    (void)nearest_i32(stretch_place(static_cast<double>(to_m)), end);
    return std::pair<std::int64_t, std::int64_t>{first, std::int64_t{end} - 1};
  };
  const auto [first, last] = cells(inizio, fine);
  const previous_row& before = notes.mountain;
  if (before.line != 0 && inizio < before.end_m) {
    std::string text = "mountain at " + str(inizio) +
                       " m begins before the one of line " + str(before.line) +
                       " ends (at " + str(before.end_m) +
                       " m): the join rule gives it type 3";
    const auto [b_first, b_last] = cells(before.position_m, before.end_m);
    const std::int64_t shared =
        std::min(last, b_last) - std::max(first, b_first) + 1;
    if (shared > 0)
      text += ", and it lays its type over " + str(shared) +
              (shared == 1 ? " cell" : " cells") + " of that one";
    add_at_row(ctx, notes, text);
  }
  if (first > last) {
    std::string text = "mountain from " + str(inizio) + " m to " + str(fine) +
                       " m covers no cell: nothing of it is laid";
    if (fine < inizio) text += " (are its start and end swapped?)";
    add_at_row(ctx, notes, text);
  }
  notes.mountain = {notes.token_line, inizio, fine};
}

void note_references(compile_context& ctx, const author_notes& notes) {
  if (!ctx.collect_warnings) return;
  struct reference {
    const line_record& slot;
    noted_row row;
    const char* word;
  };
  const reference refs[3] = {
      {ctx.table.slots[slot_reference_three], noted_row::reference_three,
       "tre"},
      {ctx.table.slots[slot_reference_two], noted_row::reference_two, "due"},
      {ctx.table.slots[slot_reference_one], noted_row::reference_one, "uno"},
  };
  // The warning stands at the reference row read last.
  std::int32_t line = 0;
  std::int32_t column = 0;
  bool any_value = false;
  for (const reference& r : refs) {
    const std::size_t i = static_cast<std::size_t>(r.row);
    if (notes.row_lines[i] > line) {
      line = notes.row_lines[i];
      column = notes.row_columns[i];
    }
    any_value =
        any_value || r.slot.from_m != 0 || r.slot.to_m != 0 || r.slot.at_m != 0;
  }
  if (line == 0 || !any_value) return;
  std::string text;
  switch (references_cleared(ctx.table)) {
    case reference_clearing::none:
      return;
    case reference_clearing::greatest_shared: {
      std::int32_t greatest = refs[0].slot.from_m;
      for (const reference& r : refs)
        greatest = std::max(greatest, r.slot.from_m);
      std::string sharing;
      int count = 0;
      for (const reference& r : refs) {
        if (r.slot.from_m != greatest) continue;
        sharing += (count == 0 ? "'" : " and '") + std::string(r.word) + "'";
        ++count;
      }
      text = "kilometre references " + sharing +
             " share the greatest first number (" + str(greatest) +
             "): all three references are cleared to 0";
      break;
    }
    case reference_clearing::nothing_to_order:
      text =
          "kilometre references: their first numbers add up to 0 and no "
          "second number is above 0, so all three are cleared to 0";
      break;
  }
  ctx.warnings.push_back({notes.where, line, column, std::move(text)});
}

void note_gradient_value(compile_context& ctx, const author_notes& notes,
                         const source_cursor& cur, std::int32_t g) {
  if (!ctx.collect_warnings || (g >= -100 && g <= 155)) return;
  add_at_field(ctx, notes, cur,
               "gradient " + str(g) +
                   " per mille does not fit its byte (-100 to 155): it is "
                   "stored as " +
                   str(decode_gradient(encode_gradient(g))));
}

void note_speed_value(compile_context& ctx, const author_notes& notes,
                      const source_cursor& cur, std::int32_t v) {
  std::uint8_t units = 0;
  if (!ctx.collect_warnings || v % 5 == 0 || !encode_speed_units(v, units))
    return;
  add_at_field(ctx, notes, cur,
               "speed " + str(v) +
                   " km/h is kept in steps of 5 km/h: it is stored as " +
                   str(decode_speed_units(units)) + " km/h");
}

void note_adhesion_value(compile_context& ctx, const author_notes& notes,
                         const source_cursor& cur, std::int32_t a) {
  if (!ctx.collect_warnings || (a >= 0 && a <= 255)) return;
  add_at_field(ctx, notes, cur,
               "adhesion " + str(a) +
                   " does not fit its byte (0 to 255): it is stored as " +
                   str(encode_adhesion(a)));
}

void note_signal_timer(compile_context& ctx, const author_notes& notes,
                       const source_cursor& cur, std::int32_t sx,
                       std::int32_t tempo) {
  if (!ctx.collect_warnings || tempo == 0) return;
  std::string text;
  if (sx != 2)
    text = "timer " + str(tempo) +
           " is not stored: only a signal whose first type is 2 runs a timer";
  else if (raised_timer(tempo) != tempo)
    text = "timer " + str(tempo) +
           " is raised to 101: times from 1 to 100 are stored as 101";
  else if (encode_signal_timer(sx, tempo) != tempo)
    text = "timer " + str(tempo) +
           " does not fit its byte (0 to 255): it is stored as " +
           str(encode_signal_timer(sx, tempo));
  else
    return;
  add_at_field(ctx, notes, cur, text);
}

void note_slowdown_flags(compile_context& ctx, const author_notes& notes,
                         std::int32_t x, std::int32_t f_ta) {
  if (!ctx.collect_warnings || x > no_warning_board_up_to_m || f_ta == 0)
    return;
  add_at_row(ctx, notes,
             "slowdown at " + str(x) + " m lies within the first " +
                 str(no_warning_board_up_to_m) +
                 " m: it gets no warning board, so its pre-warning cells are "
                 "not laid either");
}

void note_negative_station_length(compile_context& ctx,
                                  const author_notes& notes, std::int32_t line,
                                  std::int32_t column, std::int32_t length_m,
                                  std::int32_t from_m, std::int32_t to_m) {
  if (!ctx.collect_warnings) return;
  add(ctx, notes, line, column,
      "the station length " + str(length_m) +
          " m is below 0: the platform is stored backwards, from " +
          str(from_m) + " to " + str(to_m) + " m");
}

void note_at_field(compile_context& ctx, const author_notes& notes,
                   const source_cursor& cur, std::string text, bool is_error) {
  if (!ctx.collect_warnings) return;
  add(ctx, notes, cur.field_line, cur.field_column, std::move(text), is_error);
}

void note_source_bytes(compile_context& ctx, error_source where,
                       std::string_view text) {
  if (!ctx.collect_warnings) return;
  const std::string source =
      std::string("the ") + source_word(where) + " source";
  const auto byte = [&](std::size_t i) {
    return static_cast<unsigned char>(text[i]);
  };
  if (text.size() >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) ||
                           (byte(0) == 0xFE && byte(1) == 0xFF))) {
    ctx.warnings.push_back(
        {where, 1, 1,
         source + " is UTF-16 text (it begins with the byte order mark " +
             (byte(0) == 0xFF ? "FF FE" : "FE FF") +
             "), so none of its rows is read: save it as single-byte text "
             "(ANSI or Latin-1)",
         true, true});
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
  ctx.warnings.push_back(
      {where, line, static_cast<std::int32_t>(nul - line_start + 1),
       source + " holds " + str(static_cast<std::int64_t>(nuls)) +
           " NUL byte(s), the first here: it is not single-byte text" +
           (nuls * 4 >= text.size()
                ? " (a NUL in every other byte is UTF-16 without a byte "
                  "order mark); save it as single-byte text (ANSI or Latin-1)"
                : ""),
       true});
}

std::vector<row_warning_text> row_warnings(row_id row) {
  std::vector<row_warning_text> out;
  if (row_info(row).general)
    out.push_back({row_warning::given_twice,
                   "a second row of this kind replaces the value of the "
                   "first"});
  constexpr const char* behind =
      "a row whose position does not lie beyond the one before fills one "
      "cell at most with the value before, and its own value begins later "
      "than written";
  constexpr const char* utf8 =
      "a text holding UTF-8 is stored byte for byte (with --input-encoding "
      "utf-8 each character is stored as its single byte, and one past "
      "U+00FF is an error)";
  switch (row) {
    case row_id::reference_three:
    case row_id::reference_two:
    case row_id::reference_one:
      out.push_back({row_warning::references_cleared,
                     "all three references are cleared to 0 when two share "
                     "the greatest first number, or when the first numbers "
                     "add up to 0 and no second number is above 0"});
      break;
    case row_id::gradient:
      out.push_back({row_warning::behind_row_before, behind});
      out.push_back({row_warning::value_bent,
                     "a gradient outside -100 to 155 does not fit its byte "
                     "and wraps"});
      break;
    case row_id::curve:
      out.push_back({row_warning::curve_behind,
                     "a curve that starts behind the metre the plan has "
                     "reached turns only its metres beyond it, or none"});
      out.push_back({row_warning::curves_unread,
                     "with --no-profile curve rows are passed over; said "
                     "once, at the first"});
      break;
    case row_id::mountain:
      out.push_back({row_warning::mountain_overlap,
                     "a stretch that begins before the one before it ends "
                     "gets type 3 and is laid over their shared cells"});
      out.push_back({row_warning::mountain_empty,
                     "a stretch that covers no cell (its end not beyond its "
                     "start) lays nothing"});
      break;
    case row_id::text_board:
      out.push_back({row_warning::utf8_label, utf8});
      break;
    case row_id::speed_limit:
      out.push_back({row_warning::behind_row_before, behind});
      out.push_back({row_warning::value_bent,
                     "a speed that is not a multiple of 5 km/h is stored to "
                     "the nearest step of 5 km/h"});
      break;
    case row_id::adhesion:
      out.push_back({row_warning::behind_row_before, behind});
      out.push_back({row_warning::value_bent,
                     "an adhesion outside 0 to 255 does not fit its byte and "
                     "wraps"});
      break;
    case row_id::signal:
      out.push_back({row_warning::value_bent,
                     "a time from 1 to 100 is raised to 101, one outside 0 "
                     "to 255 wraps, and one on a signal whose sx is not 2 "
                     "is not stored"});
      break;
    case row_id::slowdown:
      out.push_back({row_warning::no_warning_board,
                     "a slowdown within the first 1500 m gets no warning "
                     "board, so the pre-warning cells it asks for are not "
                     "laid either"});
      break;
    case row_id::station:
      out.push_back({row_warning::platform_backwards,
                     "a length below 0 stores the platform backwards"});
      out.push_back({row_warning::utf8_label, utf8});
      break;
    default:
      break;
  }
  return out;
}
