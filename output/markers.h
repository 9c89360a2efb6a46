// Signal-code marker placement: the pass over the grid, after both sources
// have been read, that completes the grid around every slowdown. Records codes
// 11, 12 and 13 in the error slot and goes on after each.
//
// Markers are kind-12 cells with value1 = 180. They go ahead of every signal
// within 20 cells below a slowdown warning board, into three groups of cells
// before each slowdown start, every 8 cells inside a slowdown slower than
// 110, and once before the first signal within 12 cells after the slowdown's
// end. A marker takes only a free cell (kind 0, or a tunnel marker it then
// replaces) and changes no other field of it; a marker already in place has
// its value1 lowered to 180 where the signal rule meets it.
//
// Besides 11, 12 and 13 (each with the cell x 50 as position and
// error_where = markers, error_cell = the cell) the pass records 114 at the
// start cell x 50 for a slowdown that meets no end cell before the last cell
// of the grid. A grid that was never allocated is left alone.
#pragma once

#include <cstdint>

#include "model/compile_context.h"

void place_markers(compile_context& ctx);

// The smaller of x and y; x on a tie.
std::int16_t minimo(std::int16_t x, std::int16_t y);
