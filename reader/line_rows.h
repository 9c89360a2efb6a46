// The rows of the line source after its general section: gradients, curves,
// mountains, speed indicator boards and indicator boards with text, the two
// tails that complete the gradients and the plan once the file is read, and
// the endings of every row of the line source. Internal to the line reader.
#pragma once

#include <array>
#include <cstdint>

#include "model/compile_context.h"
#include "reader/field_reader.h"
#include "reader/row_loop.h"

// The mountain lists hold this many rows, entries 1 to 80.
inline constexpr std::int32_t max_mountain_rows = 80;

// What the line reader keeps while it walks one line source.
struct line_reading {
  source_cursor cur;
  row_in_hand row;  // the row being read

  // Next grid index to receive a gradient, and the gradient (per mille) that
  // the cells up to the next row's start take.
  std::int32_t gradient_fill = 0;
  std::int32_t current_gradient = 0;

  // Next curve-table metre to compute; metres 0 and 1 are the fixed start.
  std::int32_t curve_metre = 2;

  // Mountain rows in source order (entry 0 unused). The 150-metre rule
  // compares a row with the end of the row before it.
  std::int32_t mountain_count = 0;
  std::array<std::int32_t, max_mountain_rows + 1> mountain_start{};
  std::array<std::int32_t, max_mountain_rows + 1> mountain_end{};

  // The line table slot for the next board text; counts down from 80. A
  // completed reading hands its last value to the station rows through
  // ctx.board_slot.
  std::int32_t board_slot = first_board_slot;
};

// Row handlers, called right after their keyword was found in
// ctx.current_token; each reads its own data fields.
row_result read_gradient_row(compile_context& ctx, line_reading& r);
row_result read_curve_row(compile_context& ctx, line_reading& r);
row_result read_mountain_row(compile_context& ctx, line_reading& r);
row_result read_speed_board_row(compile_context& ctx, line_reading& r);
row_result read_text_board_row(compile_context& ctx, line_reading& r);

// Places one mountain row: the type into its cells and, for a tunnel, a marker
// into every fourth free cell. Records 105 (an 81st row) or 106 (cells
// outside the grid) with `inizio` and writes nothing then.
void memo_montagna(compile_context& ctx, line_reading& r, std::int32_t inizio,
                   std::int32_t fine, std::int32_t tipo);

// Places one speed indicator board at the cell of `posizione`. Records 21
// when that cell is not free. Returns false, with nothing written, when an
// encoded speed does not fit 16 bits (a reading failure for the caller).
bool memo_indicatori_v_max(compile_context& ctx, std::int32_t posizione,
                           std::int32_t vas, std::int32_t vbs, std::int32_t vcs,
                           std::int32_t strisces, std::int32_t vad,
                           std::int32_t vbd, std::int32_t vcd,
                           std::int32_t strisced);

// The tails, run once the line source is closed: the last gradient up to cell
// N - 3 and the last direction of the plan up to metre E - 2.
void gradient_tail(compile_context& ctx, line_reading& r);
void curve_tail(compile_context& ctx, line_reading& r);

// The endings of the rows and of the general section. Each one records the
// origin of the code: a reading failure at the field the cursor read last,
// the others at the row's position field unless told otherwise.
//
// A code has been recorded; the caller removes the line source.
row_result line_coded_error(compile_context& ctx, const line_reading& r,
                            fault_field field = fault_field::first);
// Records 25; the caller removes both sources. `what` says what could not be
// read.
row_result line_reading_failure(compile_context& ctx, const line_reading& r,
                                const char* what);
// Records 15 at `position`: the rows end but the reading completes.
row_result line_beyond_grid(compile_context& ctx, const line_reading& r,
                            std::int32_t position);
