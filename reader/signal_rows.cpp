// Signal rows: one signal cell with the row's values packed into it, and
// four approach marks every second cell below it, on the side a train
// running towards higher positions comes from.
#include "reader/train_rows.h"

void memo_segnale(compile_context& ctx, std::int32_t posizione,
                  std::int32_t& sx, std::int32_t& s1, std::int32_t& s2,
                  std::int32_t& s3, std::int32_t& rapp, std::int32_t& dx,
                  std::int32_t& d1, std::int32_t& d2, std::int32_t& d3,
                  std::int32_t& tempo) {
  const std::int64_t k =
      nearest_index(point_place(static_cast<double>(posizione)));
  track_cell* cell = cell_at(ctx.grid, k);
  if (cell != nullptr && !is_free(*cell)) {
    record_error_code(ctx, code_signal_cell_taken);
    return;
  }
  // The position check bounds only the far end of the line: a signal before
  // the line origin has no cell at all and is refused.
  if (cell == nullptr) {
    record_error_code(ctx, code_signal_before_origin);
    return;
  }

  cell->kind = kind_signal;
  cell->value4 = low16(std::int64_t{10} * rapp + std::int64_t{3} * sx + dx);
  cell->value1 = low16(std::int64_t{10} * s1 + d1);
  cell->value2 = low16(std::int64_t{10} * s2 + d2);
  cell->value3 = low16(std::int64_t{10} * s3 + d3);
  // Only an s group of type 2 runs a timer. Times from 1 to 100 are raised to
  // 101 before they are stored; 0, larger and negative times are kept.
  if (tempo >= 1 && tempo <= 100) tempo = 101;
  cell->timer = sx == 2 ? low8(tempo) : std::uint8_t{0};

  // The marks overwrite whatever approach code the cells hold, marks of an
  // earlier signal or station included: the row read last wins. A signal in
  // the first cells of the line keeps the marks that fall inside the grid;
  // those before cell 0 have nowhere to go.
  const std::int64_t mark_base = std::int64_t{30} * sx + std::int64_t{10} * dx;
  for (std::int64_t b = 1; b <= 4; ++b) {
    if (track_cell* mark = cell_at(ctx.grid, k - 2 * b))
      mark->approach = low8(mark_base + b);
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
  note_signal_timer(ctx, reading.notes, reading.cur, sx, tempo);
  if (!row_fits(ctx, posizione, row_margin_m))
    return beyond_grid(ctx, reading, posizione);

  const std::int32_t code_before = ctx.error_code;
  memo_segnale(ctx, posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo);
  return end_if_error(ctx, reading, code_before, posizione);
}
