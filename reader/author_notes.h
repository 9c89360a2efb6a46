// Warnings for authors: what the readers do quietly with a source that still
// compiles. A field passed over, a number read as 0, a general row replaced by
// a later one, a row whose meaning depends on the one before it, a row in
// another section than its own, a value bent to fit its field.
//
// The readers call these hooks as they go. Each hook only looks at what it is
// given and appends to ctx.warnings, and only when ctx.collect_warnings is
// set: nothing the compiler writes ever depends on them. A warning names the
// line and column of the field it is about (for a row, its keyword field).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/compile_context.h"
#include "reader/field_reader.h"
#include "reader/grammar.h"

// The warnings name the rows of the grammar.
using noted_row = row_id;
inline constexpr std::size_t noted_row_count = row_count;

// Where a reader stands, which tells why a token is passed over.
enum class note_phase : std::uint8_t { line_general, line_rows, train_rows };

// The row before, for rows whose meaning depends on it.
struct previous_row {
  std::int32_t line = 0;  // 0: none yet
  std::int32_t position_m = 0;
  std::int32_t end_m = 0;  // mountains: where the stretch ends
};

// What the hooks keep while one source is read.
struct author_notes {
  error_source where = error_source::none;
  note_phase phase = note_phase::line_general;
  std::string section;  // the last section marker, lower case

  // The token being handled, where it began, and the rows it was read as.
  std::string token;
  std::int32_t token_line = 0;
  std::int32_t token_column = 0;
  int comment_limit = 0;  // comments in a row the loop passes over
  int token_rows = 0;
  noted_row first_row = noted_row::line_length;

  // The fields passed over on one line share one warning, which counts them.
  std::int32_t passed_line = 0;
  std::size_t passed_warning = 0;
  std::int32_t passed_after = 0;
  std::string passed_text;

  // Where each general row was read last (line 0: not yet).
  std::array<std::int32_t, noted_row_count> row_lines{};
  std::array<std::int32_t, noted_row_count> row_columns{};

  previous_row gradient, speed_limit, adhesion, curve, mountain;

  // Curve rows are not read without the plan: said once, and their fields
  // pass without a warning of their own.
  bool unread_curves_noted = false;
  std::int32_t quiet_line = 0;

  // Where "[generale]" stood, and how many rows were read after it.
  bool general_found = false;
  std::int32_t general_line = 0;
  std::int32_t general_column = 0;
  int rows_read = 0;

  // Keywords before "[generale]": reported once the section is found (a
  // source without it has a fault of its own).
  std::vector<author_warning> before_general;
};

// Starts the notes for one source; the cursor then keeps its odd numbers.
void start_notes(const compile_context& ctx, author_notes& notes,
                 error_source where, note_phase phase, source_cursor& cur);

// A token before "[generale]", never examined; and the token that holds it.
void note_before_general(const compile_context& ctx, author_notes& notes,
                         const source_cursor& cur, const std::string& token);
void note_general_found(compile_context& ctx, author_notes& notes,
                        const source_cursor& cur);
// The train source has no "[generale]": none of its rows is read.
void note_no_general_section(compile_context& ctx, author_notes& notes);

// The row loop's three hooks: a token about to be examined (after the comment
// skip), each row it is read as, and the end of its examination. The last
// one reports a token that was read as no row and is neither a comment, nor
// a section marker, nor empty.
void note_token(const compile_context& ctx, author_notes& notes,
                const source_cursor& cur, const std::string& token,
                int comment_limit);
void note_row(compile_context& ctx, author_notes& notes, noted_row row);
void note_token_end(compile_context& ctx, author_notes& notes);

// The last field of a file is never examined.
void note_last_field(compile_context& ctx, author_notes& notes,
                     const source_cursor& cur, const std::string& token);

// Once the source has been read, however the reading ended: the numeric
// fields that were not numbers, and every warning in source, line and column
// order.
void finish_notes(compile_context& ctx, author_notes& notes,
                  source_cursor& cur);

// A row of a fill (gradient, speed limit, adhesion) whose cell k does not lie
// beyond the fill index: it fills one cell at most, with the value before.
void note_fill_row(compile_context& ctx, author_notes& notes,
                   previous_row& before, const char* what, std::int32_t p,
                   std::int64_t k, std::int64_t fill);
// A curve that starts behind the metre the plan has reached.
void note_curve_row(compile_context& ctx, author_notes& notes, std::int32_t s,
                    std::int32_t lc, std::int64_t next_metre);
// A mountain that begins before the one before it ends, or covers no cell.
void note_mountain_row(compile_context& ctx, author_notes& notes,
                       std::int32_t inizio, std::int32_t fine);
// Kilometre references that the ordering clears; before it runs.
void note_references(compile_context& ctx, const author_notes& notes);

// Values bent to fit their fields. `cur` stands right after the field.
void note_gradient_value(compile_context& ctx, const author_notes& notes,
                         const source_cursor& cur, std::int32_t g);
void note_speed_value(compile_context& ctx, const author_notes& notes,
                      const source_cursor& cur, std::int32_t v);
void note_adhesion_value(compile_context& ctx, const author_notes& notes,
                         const source_cursor& cur, std::int32_t a);
void note_signal_timer(compile_context& ctx, const author_notes& notes,
                       const source_cursor& cur, std::int32_t sx,
                       std::int32_t tempo);
// A station length below 0: the platform is stored backwards.
void note_negative_station_length(compile_context& ctx,
                                  const author_notes& notes, std::int32_t line,
                                  std::int32_t column, std::int32_t length_m,
                                  std::int32_t from_m, std::int32_t to_m);
// A note of the caller's own at the field the cursor read last (labels).
void note_at_field(compile_context& ctx, const author_notes& notes,
                   const source_cursor& cur, std::string text, bool is_error);

// Tells the trace, when there is one, where the row being read went (its
// cells, slot or plan metres). Callers build the text only when ctx.trace
// is set, so the hook costs nothing in a plain compile.
void trace_place(compile_context& ctx, const std::string& place);

// The bytes of a whole source before it is read: NUL bytes or a UTF-16 byte
// order mark mean it is not single-byte text, which is an error for authors.
void note_source_bytes(compile_context& ctx, error_source where,
                       std::string_view text);

void note_slowdown_flags(compile_context& ctx, const author_notes& notes,
                         std::int32_t x, std::int32_t f_ta);

// The warnings a row of one kind can give besides those any row can give (a
// numeric field that is not a number, a row in another section or after
// [fine], two rows in one field, a comment read as a row), each said the way
// the format reference says it. A warning of a kind here comes from one of
// the hooks above.
enum class row_warning : std::uint8_t {
  given_twice,         // note_row, general rows
  references_cleared,  // note_references
  behind_row_before,   // note_fill_row
  value_bent,          // note_gradient_value, note_speed_value, ...
  curve_behind,        // note_curve_row
  curves_unread,       // note_token_end without the plan
  mountain_overlap,    // note_mountain_row
  mountain_empty,      // note_mountain_row
  utf8_label,          // take_label
  platform_backwards,  // note_negative_station_length
  no_warning_board,    // note_slowdown_flags
};
struct row_warning_text {
  row_warning kind;
  const char* text;
};
std::vector<row_warning_text> row_warnings(row_id row);
