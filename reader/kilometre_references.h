// The three kilometre references of the line source's general section, kept
// in line table slots 81 to 83: put in order once the general section has
// been read, and checked against the cells once both sources have been read.
#pragma once

#include "model/compile_context.h"
#include "model/line_table.h"

// Orders the kilometre references of slots 81 to 83, greatest first number
// first, or clears all three: when two share the greatest first number, or
// when the first numbers add up to 0 and no second number is above 0 (the
// observer is told which). Each reference takes its source line along in
// ctx.reference_lines.
void progressive_ordina(compile_context& ctx);

// Kilometre references whose ends are not whole cells cannot be drawn on the
// grid: records code 2, at the line source row the first such reference was
// read from. They come from the line source, but are checked once both
// sources have been read; the code replaces an earlier 15 and leaves its
// position.
void check_kilometre_references(compile_context& ctx);
