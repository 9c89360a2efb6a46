// Taking a source text apart into fields.
//
// A source is read as one stream of fields separated by commas and line ends
// (CR LF, LF or a lone CR), so a row's fields may continue on the next line.
// A text field runs to the next comma or line end (or between double quotes);
// a numeric field also ends at a blank, so "18    43    30" is three numbers.
// The cursor remembers where each field began, so faults can be reported by
// source line and column.
//
// Every read returns false on a reading failure: a field asked for after the
// end of the text, or a number that does not fit its target. The caller then
// takes the common failure path (code 25).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/cell_geometry.h"
#include "model/compile_context.h"
#include "model/packing.h"

// How the last numeric field read looked; only reports to authors use it.
enum class number_form : std::uint8_t {
  number,      // sign and digits only
  empty,       // nothing at all: reads as 0
  not_number,  // no leading digits: reads as 0
  cut,         // digits followed by other characters: the digits count
};

// A numeric field that was not a plain number, kept for reports to authors.
struct odd_number {
  std::int32_t line = 0;
  std::int32_t column = 0;
  number_form form = number_form::not_number;
  std::string text;  // the field as written
};

enum class field_failure : std::uint8_t { none, file_ended, out_of_range };

struct source_cursor {
  std::string_view text;
  std::size_t pos = 0;
  std::int32_t line = 1;        // line of the next character, from 1
  std::size_t line_start = 0;   // offset of the first character of `line`
  std::int32_t field_line = 0;  // where the last field read began
  std::int32_t field_column = 0;
  number_form last_number = number_form::number;
  // When set, every numeric field that is not a number or is cut is kept in
  // odd_numbers, in reading order. Off, the reader keeps nothing.
  bool keep_odd_numbers = false;
  std::vector<odd_number> odd_numbers;

  // Fields begun so far, and why the last field read failed, for messages
  // that name the field: the file ended before it, or its number does not
  // fit its target (then its text and the range of the target).
  std::int32_t fields_started = 0;
  field_failure failure = field_failure::none;
  // The row being read: how many fields had begun before its first field,
  // and where its keyword and its first field stand (for the place of a
  // fault about the row's position).
  std::int32_t row_field_base = 0;
  std::int32_t row_keyword_line = 0;
  std::int32_t row_keyword_column = 0;
  std::int32_t row_first_line = 0;
  std::int32_t row_first_column = 0;
  std::string failed_text;
  std::int64_t failed_min = 0;
  std::int64_t failed_max = 0;
  // When set, every field read is appended to it (see compile_context.h).
  field_trace* trace = nullptr;
};

inline source_cursor make_cursor(std::string_view text) {
  source_cursor cur;
  cur.text = text;
  return cur;
}

// True when every character of the text has been consumed.
inline bool at_end(const source_cursor& cur) {
  return cur.pos >= cur.text.size();
}

// Reads one text field. Blanks before the field are skipped; blanks at the end
// of an unquoted field are dropped.
bool read_text_field(source_cursor& cur, std::string& out);

// Reads one numeric field into a target of the given width. Empty fields and
// fields without leading digits read as 0.
bool read_number_field(source_cursor& cur, std::int32_t& out);
bool read_number_field(source_cursor& cur, std::int16_t& out);
bool read_number_field(source_cursor& cur, std::uint8_t& out);

// Reads one field per target, in order, each stored at once; stops at the
// first failure.
inline bool read_fields(source_cursor&) { return true; }
template <typename T, typename... Rest>
bool read_fields(source_cursor& cur, T& first, Rest&... rest) {
  return read_number_field(cur, first) && read_fields(cur, rest...);
}

// Moves the cursor past the end of the line of the field read last, unless
// it is already on a later line: where a reader resumes after a row it could
// not read, so the rest of that row is not taken for rows.
void skip_rest_of_field_line(source_cursor& cur);

// Where the field that begins at `column` (from 1) of `line_text` ends, one
// past its last character, for a report that knows where a field begins but
// not whether it was read as a number or as text: a quoted field at its
// closing quote (or the line end); a number (digits, or a sign and digits)
// alone in its field or followed by another number after blanks, as in
// "18    43    30", at the first blank, as a number field ends; any other, a
// text field such as "2 PONTI", at the next comma or the line end, without
// the blanks at its end. A comment holds a '-' but no number after it, so
// it is read as text. At least one character.
std::int32_t field_end_by_rules(std::string_view line_text,
                                std::int32_t column);

// The keyword test: `keyword` occurs in `token`, letter case ignored.
bool contains_keyword(std::string_view token, std::string_view keyword);
// The same test with exact letter case.
bool contains_exact(std::string_view token, std::string_view keyword);
// A comment field: any token that holds a "-".
inline bool is_comment(std::string_view token) {
  return token.find('-') != std::string_view::npos;
}
// An empty field: nothing but blanks.
inline bool is_empty_field(std::string_view token) {
  return token.find_first_not_of(" \t") == std::string_view::npos;
}
// A section marker holds both "[" and "]".
inline bool is_section_marker(std::string_view token) {
  return token.find('[') != std::string_view::npos &&
         token.find(']') != std::string_view::npos;
}

// Skips comment tokens in a row loop: while `token` is a comment and fewer
// than `limit` have been skipped, the next field replaces it. With `end_test`,
// a skip that reaches the end of the text ends the loop (returns
// skip_outcome::end_reached); without it, a skip that finds no field left is a
// reading failure.
enum class skip_outcome { token_ready, end_reached, failure };
skip_outcome skip_comments(source_cursor& cur, std::string& token, int limit,
                           bool end_test);

// The position check: a row at position p is accepted when the grid, whose last
// index is n, reaches (p + margin) / 50, compared in real arithmetic.
inline bool position_fits(std::int32_t last_index, std::int32_t p,
                          std::int32_t margin) {
  return static_cast<double>(last_index) >=
         stretch_place(static_cast<double>(p) + static_cast<double>(margin));
}
