// Slowdown rows lay a speed restriction over a stretch: start and end cells,
// a warning board 1200 m before the start and, on request, four pre-warning
// cells before the board.
#pragma once

#include <cstdint>

#include "model/compile_context.h"
#include "reader/train_rows.h"

// Lays a slowdown starting at x: start and end cells, and beyond 1500 m a
// warning board 1200 m before the start and, with f_ta, four pre-warning
// cells before the board. Records 17, 18 or 19 (nothing written), 111 (a
// cell outside the grid, nothing written) or 20 (pre-warning cell taken,
// after start, end and board have been written); the caller sets the
// position.
void memo_rallentamento(compile_context& ctx, std::int32_t x, std::int32_t& v,
                        std::int32_t& l, std::int32_t& f_tt, std::int32_t f_ta,
                        std::int32_t& d_v);

// The row handler, called right after its keyword.
row_result read_slowdown_row(compile_context& ctx, train_reading& reading);
