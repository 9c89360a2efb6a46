// Signal rows: one signal cell with the row's values packed into it, and
// four approach marks every second cell below it, on the side a train
// running towards higher positions comes from.
#pragma once

#include <cstdint>

#include "model/compile_context.h"
#include "reader/train_rows.h"

// Places a signal at the cell of `posizione` and its four approach marks
// below it. On a taken cell it records 16, and on marks that would fall
// before cell 0 it records 110, in both cases writing nothing; the caller
// sets the position. `tempo` is raised to 101 when it lies from 1 to 100.
void memo_segnale(compile_context& ctx, std::int32_t posizione,
                  std::int32_t& sx, std::int32_t& s1, std::int32_t& s2,
                  std::int32_t& s3, std::int32_t& rapp, std::int32_t& dx,
                  std::int32_t& d1, std::int32_t& d2, std::int32_t& d3,
                  std::int32_t& tempo);

// The row handler, called right after its keyword.
row_result read_signal_row(compile_context& ctx, train_reading& reading);
