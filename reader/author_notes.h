// The observer of a reading, for authors. It tells what the readers do
// quietly with a source that still compiles as warnings (a field passed over,
// a number read as 0, a general row replaced by a later one, a row in another
// section than its own, a source that is no single-byte text), keeps the
// field trace (field_trace.h) and remembers the row that took each cell, slot
// and curve. The warnings about the values of one kind of row are in
// row_notes.h.
//
// The readers call its hooks as they go, with ctx.notes. An observer is made
// for each source only when the run asks for warnings (ctx.collect_warnings)
// or a trace (ctx.trace). The program asks for neither: ctx.notes stays null
// and every hook returns at once. A hook only looks at what it is given, and
// the readers tell it what they decided; nothing the compiler writes ever
// depends on it. A warning names the line and column of the field it is about
// (for a row, its keyword field).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/compile_context.h"
#include "reader/field_reader.h"
#include "reader/grammar.h"

// Where a reader stands, which tells why a token is passed over.
enum class note_phase : std::uint8_t { line_general, line_rows, train_rows };

// The row before, for rows whose meaning depends on it.
struct previous_row {
  std::int32_t line = 0;  // 0: none yet
  std::int32_t position_m = 0;
  // Mountains: where the stretch ends, and the cells the reader laid it on.
  std::int32_t end_m = 0;
  std::int64_t first_cell = 0;
  std::int64_t last_cell = -1;
};

// What the observer keeps while one source is read.
struct author_notes {
  error_source where = error_source::none;
  note_phase phase = note_phase::line_general;
  field_trace* trace = nullptr;  // the trace asked for, or null

  // This source's warnings, in the order found. When the reading ends they
  // go to ctx.warnings in line and column order, if the run asked for them.
  std::vector<author_warning> warnings;

  // The row being read, where its keyword stands: the owner of what it takes.
  row_origin row;

  std::string section;  // the last section marker, lower case

  // The token being handled, where it began, and the rows it was read as.
  std::string token;
  std::int32_t token_line = 0;
  std::int32_t token_column = 0;
  int comment_limit = 0;  // comments in a row the loop passes over
  int token_rows = 0;
  row_id first_row = row_id::line_length;
  bool curve_unread = false;  // the token holds a curve row read without plan

  // The fields passed over on one line share one warning, which counts them.
  std::int32_t passed_line = 0;
  std::size_t passed_warning = 0;
  std::int32_t passed_after = 0;
  std::string passed_text;

  // Where each general row was read last (line 0: not yet).
  std::array<std::int32_t, row_count> row_lines{};
  std::array<std::int32_t, row_count> row_columns{};

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

// Starts observing one source, whose whole text the cursor holds, when the
// run asks for warnings or a trace: makes the observer in `storage`, points
// ctx.notes at it, tells the cursor what to keep for it and looks at the
// bytes of the text (NUL bytes or a UTF-16 byte order mark mean it is not
// single-byte text, which is an error for authors). Otherwise ctx.notes is
// null. `storage` must outlive the reading.
void start_notes(compile_context& ctx, std::optional<author_notes>& storage,
                 error_source where, note_phase phase, source_cursor& cur);

// Once the source has been read, however the reading ended: the numeric
// fields that were not numbers join the warnings, which go to ctx.warnings
// when asked for; ctx.notes is null again.
void finish_notes(compile_context& ctx, source_cursor& cur);

// A warning of this source at a field, or at the keyword of the row being
// read: for the hooks of row_notes.h.
void add_warning(author_notes& notes, std::int32_t line, std::int32_t column,
                 std::string text, bool is_error = false);
void add_row_warning(author_notes& notes, std::string text);

// A token before "[generale]", never examined; and the token that holds it.
void note_before_general(author_notes* notes, const source_cursor& cur,
                         const std::string& token);
void note_general_found(author_notes* notes, const source_cursor& cur);
// The train source has no "[generale]": none of its rows is read.
void note_no_general_section(author_notes* notes);
// The line source's general section has ended: the rows after it follow.
void note_rows_begin(author_notes* notes);

// The row loop's hooks: a token about to be examined (after the comment
// skip), each row it is read as (the cursor stands on its keyword), a curve
// row it holds that is not read because there is no plan, and the end of its
// examination. The last one reports a token that was read as no row and is
// neither a comment, nor a section marker, nor empty.
void note_token(author_notes* notes, const source_cursor& cur,
                const std::string& token, int comment_limit);
void note_row(author_notes* notes, row_id row, const source_cursor& cur);
void note_curve_unread(author_notes* notes);
void note_token_end(author_notes* notes);

// The last field of a file is never examined.
void note_last_field(author_notes* notes, const source_cursor& cur,
                     const std::string& token);

// The row being read gave `cell` its kind, filled station slot `slot`, or is
// a curve from start_m, length_m long; a report about a cell taken twice or a
// picture of the scenario leads back to it.
void note_cell_owner(compile_context& ctx, const track_cell* cell);
void note_slot_owner(compile_context& ctx, std::int32_t slot);
void note_curve_owner(compile_context& ctx, std::int32_t start_m,
                      std::int32_t length_m);
