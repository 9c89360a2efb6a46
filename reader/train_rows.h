// The rows of the train source and what their handlers share. Internal to the
// train reader: reader/train_reader.cpp runs the file, the row loop and the
// general, speed-limit and adhesion rows; the signal, slowdown, code-marker
// and station rows live in files of their own.
//
// Every handler reads its row's fields from the cursor right after the
// keyword, checks the row and writes it into the model. It ends the reading
// in one of three ways besides going on: code 15 (the end-of-reading steps
// still run), a code of its own (the train source is removed and the reading
// ends at once), or the reading failure (code 25, both sources removed).
#pragma once

#include <cstdint>
#include <string>

#include "model/compile_context.h"
#include "reader/author_notes.h"
#include "reader/field_reader.h"
#include "reader/source_reading.h"

inline constexpr std::int32_t station_margin_m = 800;

// What the reader keeps while it reads one train source; nothing of it
// outlives the file.
struct train_reading {
  source_cursor cur;
  row_in_hand row;                    // the row being read
  std::int32_t speed_fill_index = 0;  // next cell to take a speed limit
  std::int32_t previous_speed_kmh = 0;
  std::int32_t previous_speed_line = 0;  // the field that gave it; 0: none
  std::int32_t previous_speed_column = 0;
  std::int32_t adhesion_fill_index = 0;  // next cell to take an adhesion
  std::int32_t previous_adhesion = 0;
  std::int32_t station_slot = 1;  // line table slot of the next station
  author_notes notes;             // warnings for authors; never read back

  // The position in the error slot before a row was refused with a code:
  // when the source then cannot be removed, the reading fails instead, and
  // the slot keeps this position with code 25.
  std::int32_t position_before_code = 0;
};

// The margins of the position check, in metres.
row_result beyond_grid(compile_context& ctx, const train_reading& reading,
                       std::int32_t position);

// Refuses the row with a code of the reader's own: records the code (with the
// position, or leaving the position as it was) and ends the reading; the
// compile procedure then removes the train source.
// The code is shown at the row's position field unless `field` says
// otherwise.
row_result refuse_row(compile_context& ctx, train_reading& reading,
                      std::int32_t code, std::int32_t position,
                      fault_field field = fault_field::first);
row_result refuse_row_keep_position(compile_context& ctx,
                                    train_reading& reading, std::int32_t code);
// The same for a row whose cell an earlier row took: the code names `cell`.
row_result refuse_taken_cell(compile_context& ctx, train_reading& reading,
                             std::int32_t code, std::int32_t position,
                             std::int64_t cell);

// After a placement call: when the error slot holds a code, whether the call
// recorded it or an earlier step left it there, the reading ends with the
// row's position in the slot; the compile procedure then removes the train
// source. Returns next when the slot is clear.
row_result end_if_error(compile_context& ctx, train_reading& reading,
                        std::int32_t code_before, std::int32_t position);

// The reading failure (code 25) for a row that cannot be read or converted;
// `what` says why, for the detail. Code 25 for the field the cursor read
// last, or for the field at `line` and `column` when the fault lies in an
// earlier row whose value is used only now.
row_result row_unreadable(compile_context& ctx, const train_reading& reading,
                          const std::string& what, std::int32_t line = 0,
                          std::int32_t column = 0);

// The grid index nearest to v (ties to even). Callers pass 32-bit positions
// divided by 50, which always fit; anything else reads as -1, an index that
// no grid has.

// Packed fields keep the low bits of a wider result: sums and products of
// row fields are formed in 64 bits, where they cannot overflow, and then cut
// to the width of the field they go into.

// Places a signal at the cell of `posizione` and its four approach marks
// below it. On a taken cell it records 16, and on marks that would fall
// before cell 0 it records 110, in both cases writing nothing; the caller
// sets the position. `tempo` is raised to 101 when it lies from 1 to 100.
void memo_segnale(compile_context& ctx, std::int32_t posizione,
                  std::int32_t& sx, std::int32_t& s1, std::int32_t& s2,
                  std::int32_t& s3, std::int32_t& rapp, std::int32_t& dx,
                  std::int32_t& d1, std::int32_t& d2, std::int32_t& d3,
                  std::int32_t& tempo);

// Lays a slowdown starting at x: start and end cells, and beyond 1500 m a
// warning board 1200 m before the start and, with f_ta, four pre-warning
// cells before the board. Records 17, 18 or 19 (nothing written), 111 (a
// cell outside the grid, nothing written) or 20 (pre-warning cell taken,
// after start, end and board have been written); the caller sets the
// position.
void memo_rallentamento(compile_context& ctx, std::int32_t x, std::int32_t& v,
                        std::int32_t& l, std::int32_t& f_tt, std::int32_t f_ta,
                        std::int32_t& d_v);

// The row handlers, each called right after its keyword.
row_result read_signal_row(compile_context& ctx, train_reading& reading);
row_result read_slowdown_row(compile_context& ctx, train_reading& reading);
row_result read_code_marker_row(compile_context& ctx, train_reading& reading);
row_result read_station_row(compile_context& ctx, train_reading& reading);
