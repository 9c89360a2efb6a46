#include "reader/signal_rows.h"

#include <string>

#include "model/stored_values.h"
#include "reader/author_notes.h"
#include "reader/field_trace.h"
#include "reader/row_notes.h"

void memo_segnale(compile_context& ctx, std::int32_t posizione,
                  std::int32_t& sx, std::int32_t& s1, std::int32_t& s2,
                  std::int32_t& s3, std::int32_t& rapp, std::int32_t& dx,
                  std::int32_t& d1, std::int32_t& d2, std::int32_t& d3,
                  std::int32_t& tempo) {
  const std::int64_t k =
      nearest_index(point_place(static_cast<double>(posizione)));
  // The position check bounds only the far end of the line: a signal before
  // the line origin has no cell at all and is refused.
  track_cell* cell =
      free_cell(ctx, k, code_signal_before_origin, code_signal_cell_taken);
  if (cell == nullptr) return;

  cell->kind = kind_signal;
  note_cell_owner(ctx, cell);
  signal_parts parts;
  parts.s1 = s1;
  parts.d1 = d1;
  parts.s2 = s2;
  parts.d2 = d2;
  parts.s3 = s3;
  parts.d3 = d3;
  parts.rapp = rapp;
  parts.sx = sx;
  parts.dx = dx;
  pack_signal(parts, *cell);
  tempo = raised_timer(tempo);
  cell->timer = encode_signal_timer(sx, tempo);
  if (ctx.trace != nullptr)
    trace_place(*ctx.trace,
                "cell " + std::to_string(k) + ": value1 " +
                    std::to_string(cell->value1) + ", value2 " +
                    std::to_string(cell->value2) + ", value3 " +
                    std::to_string(cell->value3) + ", value4 " +
                    std::to_string(cell->value4) + ", timer " +
                    std::to_string(cell->timer) + "; approach marks in cells " +
                    std::to_string(k - 2) + " to " + std::to_string(k - 8));

  // The marks overwrite whatever approach code the cells hold, marks of an
  // earlier signal or station included: the row read last wins. A signal in
  // the first cells of the line keeps the marks that fall inside the grid;
  // those before cell 0 have nowhere to go.
  for (int b = 1; b <= 4; ++b) {
    if (track_cell* mark = cell_at(ctx.grid, k - 2 * b))
      mark->approach = signal_approach_code(sx, dx, b);
  }
}

row_result read_signal_row(compile_context& ctx, train_reading& reading) {
  std::int32_t posizione = 0;
  std::int32_t sx = 0;
  std::int32_t s1 = 0;
  std::int32_t s2 = 0;
  std::int32_t s3 = 0;
  std::int32_t rapp = 0;
  std::int32_t dx = 0;
  std::int32_t d1 = 0;
  std::int32_t d2 = 0;
  std::int32_t d3 = 0;
  std::int32_t tempo = 0;
  if (!read_fields(reading.cur, posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3,
                   tempo))
    return row_unreadable(ctx, reading,
                          "a field of a signal row cannot be read");
  note_signal_timer(ctx.notes, reading.cur, sx, tempo);
  if (!row_fits(ctx, posizione, row_margin_m))
    return beyond_grid(ctx, reading, posizione);

  const std::int32_t code_before = ctx.error_code;
  memo_segnale(ctx, posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo);
  return end_if_error(ctx, reading, code_before, posizione);
}
