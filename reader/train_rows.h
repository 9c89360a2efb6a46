// What the row handlers of the train source share: the state of one reading,
// and the endings of a row. Internal to the train reader: train_reader.cpp
// runs the row loop and reads the general, speed-limit and adhesion rows; the
// signal, slowdown, code-marker and station rows live in files of their own.
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
#include "reader/field_reader.h"
#include "reader/row_loop.h"

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

  // The position in the error slot before a row was refused with a code:
  // when the source then cannot be removed, the reading fails instead, and
  // the slot keeps this position with code 25.
  std::int32_t position_before_code = 0;
};

// Records 15 at `position`: the rows end but the reading completes.
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
