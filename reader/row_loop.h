// What the line reader and the train reader share around their row loops:
// how a row and a reading end, the start of each turn of the loop, the
// position check, the fills that give a run of cells the value of the row
// before, and the faults that name a row's field.
#pragma once

#include <cstdint>
#include <string>

#include "model/compile_context.h"
#include "reader/field_reader.h"
#include "reader/grammar.h"

// How the reading of one source ended.
enum class read_end {
  finished,         // end of file or code 15: the compile procedure goes on
  coded_error,      // a code of the reader's own: the procedure returns now
  reading_failure,  // code 25 has been recorded and both sources removed
};

// How one row of either source ended.
enum class row_result {
  next,             // go on with the next token
  beyond_grid,      // code 15 recorded: the end-of-reading steps run
  coded_error,      // a code of the reader's own; the source is removed
  reading_failure,  // code 25 recorded; both sources are removed
};

// Rows that place something along the line must lie at least this far inside
// the grid; stations, whose platforms reach further, use their own margin.
inline constexpr std::int32_t row_margin_m = 100;

// True when a row at position p, with the given margin, lies on the grid.
// Only the far end is tested: rows before the line origin pass.
inline bool row_fits(const compile_context& ctx, std::int32_t p,
                     std::int32_t margin) {
  return position_fits(ctx.grid.last_index(), p, margin);
}

// The nearest index to a place in cells; -1 when it does not fit 32 bits.
inline std::int64_t nearest_index(double v) {
  std::int32_t index = 0;
  if (!nearest_i32(v, index)) return -1;
  return index;
}

// The start of each turn of a row loop, the same in both sources: reads the
// next token and passes over up to two comments before it. The last field of
// the text is never examined: `end` then, with the observer told. `failure`:
// a comment is the last field, so nothing is left to read in its place.
enum class token_step { ready, end, failure };
token_step next_row_token(compile_context& ctx, source_cursor& cur);

// The cell at `index` when it is free for a row to take. Otherwise null, with
// `missing_code` recorded for a cell outside the grid, or `taken_code` and
// the cell for one that an earlier row took.
track_cell* free_cell(compile_context& ctx, std::int64_t index,
                      std::int32_t missing_code, std::int32_t taken_code);

// The fills of the gradient, the speed limit and the adhesion: a row gives
// the cells from `fill` on the value of the row before it, always at least
// one cell and then on while fill < until, never at or beyond `stop`; `fill`
// moves on past each cell written. False when it met a cell outside the grid
// (fill then stands on it).
inline constexpr std::int64_t no_stop = INT64_MAX;
bool fill_cells(track_grid& grid, std::int32_t& fill, std::int64_t until,
                std::int64_t stop, std::uint8_t track_cell::*field,
                std::uint8_t value);

// The row a reader is reading, for messages about its fields: its grammar
// entry, and how many fields the cursor had begun before its first field.
struct row_in_hand {
  const row_rule* rule = nullptr;
  std::int32_t field_base = 0;
};
inline row_in_hand start_row(const row_rule& rule, source_cursor& cur) {
  cur.row_field_base = cur.fields_started;
  cur.row_keyword_line = cur.field_line;
  cur.row_keyword_column = cur.field_column;
  cur.row_first_line = 0;
  cur.row_first_column = 0;
  return {&rule, cur.fields_started};
}

// What failed in a row that could not be read, naming the field by its
// grammar name: "station row: the file ends before its name (field 17 of
// 17)", or "signal row: position '9999999999' does not fit: it must lie
// between -2147483648 and 2147483647". `otherwise` when the cursor holds no
// field failure or no row is in hand.
std::string field_failure_text(const source_cursor& cur, const row_in_hand& row,
                               const std::string& otherwise);

// For authors, with ctx.keep_going: the code in the slot joins the codes
// found, the slot is cleared and the reading goes on with the next row (after
// a row that could not be read, on the next line). False, and nothing done,
// without keep_going: the reading then ends as the outcome says.
bool pass_fault(compile_context& ctx, source_cursor& cur, row_result outcome);

// Records code 25 with `detail`; `error_position` stays. The caller removes
// the sources. `what` is what failed in the author's words, without the file
// and line that `detail` begins with (empty when the detail is all there is,
// as for a file fault).
read_end record_reading_failure(compile_context& ctx, const std::string& detail,
                                const std::string& what = "");

// Which field of the row a code is about: the one the cursor read last, the
// row's first field (its position, for the codes about where a row puts
// something), or its keyword.
enum class fault_field : std::uint8_t { last_read, first, keyword };

// Records the place of that field as the origin of the code in the error
// slot.
inline void note_error_origin(compile_context& ctx, error_source where,
                              const source_cursor& cur,
                              fault_field field = fault_field::last_read) {
  ctx.error_where = where;
  ctx.error_line = cur.field_line;
  ctx.error_column = cur.field_column;
  if (field == fault_field::first && cur.row_first_line > 0) {
    ctx.error_line = cur.row_first_line;
    ctx.error_column = cur.row_first_column;
  } else if (field == fault_field::keyword && cur.row_keyword_line > 0) {
    ctx.error_line = cur.row_keyword_line;
    ctx.error_column = cur.row_keyword_column;
  }
}
