// What the line reader and the train reader share inside the compile
// procedure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/compile_context.h"
#include "reader/field_reader.h"

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

struct author_notes;

// The start of each turn of a row loop, the same in both sources: reads the
// next token and passes over up to two comments before it. The last field of
// the text is never examined: `end` then, with the notes told. `failure`: a
// comment is the last field, so nothing is left to read in its place.
enum class token_step { ready, end, failure };
token_step next_row_token(compile_context& ctx, source_cursor& cur,
                          author_notes& notes);

// The fills of the gradient, the speed limit and the adhesion: a row gives
// the cells from `fill` on the value of the row before it, always at least
// one cell and then on while fill < until, never at or beyond `stop`; `fill`
// moves on past each cell written. False when it met a cell outside the grid
// (fill then stands on it).
inline constexpr std::int64_t no_stop = INT64_MAX;
bool fill_cells(track_grid& grid, std::int32_t& fill, std::int64_t until,
                std::int64_t stop, std::uint8_t track_cell::*field,
                std::uint8_t value);

struct line_reading;
struct train_reading;

// The readers take the text of a source and fill the model; they never touch
// a file. `r` keeps what the completion after the reading needs (the fill
// positions, the plan walk), and the cursor into `text`, which must outlive
// both calls.
//
// read_line_text returns finished at the end of the text or after code 15;
// the caller then removes the line source and, if that worked, completes the
// gradient and plan tails with complete_line_model. On coded_error the code is
// in the slot and the caller removes the line source; on reading_failure code
// 25 is recorded and the caller removes both sources.
read_end read_line_text(compile_context& ctx, std::string_view text,
                        line_reading& r);
void complete_line_model(compile_context& ctx, line_reading& r);

// The same for the train source, read after the line source. On coded_error
// the code and its position are in the slot and the caller removes the train
// source (if that fails, the reading fails with the slot's position as it was
// before the code, `position_before_code`); complete_train_model
// runs the speed and adhesion tails and the check of the kilometre
// references, and may end in a reading failure.
read_end read_train_text(compile_context& ctx, std::string_view text,
                         train_reading& t);
read_end complete_train_model(compile_context& ctx, const train_reading& t);

// Records code 25 with `detail`; `error_position` stays. The caller removes
// the sources.
read_end record_reading_failure(compile_context& ctx,
                                const std::string& detail);

// The compile procedure's two readings with their files: each reads its
// source, hands the text to its reader and removes the source as the reading
// ended. read_line_source expects the line source to exist; the caller has
// set the labels of slots 85 and 86.
read_end read_line_source(compile_context& ctx);
read_end read_train_source(compile_context& ctx);

// Removes a source file once it has been read, unless the run keeps its
// sources (the authors' tool never deletes what an author wrote).
step_result remove_source(compile_context& ctx, const std::string& name);

// The common failure path: records code 25 and removes both sources where
// they still exist; `error_position` stays. `detail` says what failed.
read_end reading_failure(compile_context& ctx, const std::string& detail);
void remove_both_sources(compile_context& ctx);

// Records the source line of the field the cursor read last as the origin of
// the code in the error slot.
inline void note_error_origin(compile_context& ctx, error_source where,
                              const source_cursor& cur) {
  ctx.error_where = where;
  ctx.error_line = cur.field_line;
}
