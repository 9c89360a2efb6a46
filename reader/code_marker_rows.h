// Code-marker rows put one signal-code marker, or a marker without a code,
// into a single cell: the one before the cell a signal or slowdown at the
// same position takes.
#pragma once

#include "model/compile_context.h"
#include "reader/train_rows.h"

// The row handler, called right after its keyword. Records 112 for a cell
// outside the grid and 7 for a taken one.
row_result read_code_marker_row(compile_context& ctx, train_reading& reading);
