#include "reader/code_marker_rows.h"

#include <string>

#include "model/stored_values.h"
#include "reader/author_notes.h"
#include "reader/field_trace.h"

// The marker goes into the cell before the one a signal or slowdown at the
// same position takes: q is p / 50 without the usual + 1.
row_result read_code_marker_row(compile_context& ctx, train_reading& reading) {
  std::int32_t p = 0;
  std::int32_t c = 0;
  if (!read_fields(reading.cur, p, c))
    return row_unreadable(ctx, reading,
                          "a field of a code-marker row cannot be read");
  if (!row_fits(ctx, p, row_margin_m)) return beyond_grid(ctx, reading, p);

  const std::int64_t q = nearest_index(stretch_place(static_cast<double>(p)));
  const std::int32_t code_before = ctx.error_code;
  track_cell* cell = free_cell(ctx, q, code_code_marker_outside_grid,
                               code_code_marker_cell_taken);
  if (cell == nullptr) return end_if_error(ctx, reading, code_before, p);
  if (ctx.trace != nullptr)
    trace_place(*ctx.trace, "cell " + std::to_string(q) +
                                (c >= 1 ? ", code " + std::to_string(c)
                                        : std::string(", without a code")));
  if (c >= 1) {
    cell->kind = kind_code_marker;
    cell->value1 = low16(c);
  } else {
    cell->kind = kind_zero_code_marker;
  }
  note_cell_owner(ctx, cell);
  return row_result::next;
}
