#include "reader/slowdown_rows.h"

#include "model/stored_values.h"
#include "reader/author_notes.h"
#include "reader/field_trace.h"
#include "reader/row_notes.h"

namespace {

constexpr std::int32_t board_distance_m = 1200;

// Checks one cell a slowdown is about to take. A cell outside the grid is
// refused with 111 before the classic code of that cell could be given:
// neither can be written.
bool cell_can_take(compile_context& ctx, std::int64_t index,
                   std::int32_t taken_code) {
  return free_cell(ctx, index, code_slowdown_outside_grid, taken_code) !=
         nullptr;
}

// The four pre-warning cells h, h - 1, h - 2 and h - 3 before a warning
// board, numbered 1 to 4 away from it; all of them or none, with 20 for the
// first that is taken. The caller has found all four on the grid.
void lay_pre_warning_cells(compile_context& ctx, std::int64_t h,
                           std::int32_t d_v) {
  for (std::int64_t i = 0; i < 4; ++i) {
    if (!is_free(*cell_at(ctx.grid, h - i))) {
      record_taken_cell(ctx, code_pre_warning_cell_taken, h - i);
      return;
    }
  }
  for (std::int64_t i = 0; i < 4; ++i) {
    track_cell& pre = *cell_at(ctx.grid, h - i);
    pre.kind = kind_pre_warning;
    note_cell_owner(ctx, &pre);
    pre.value1 = low16(i + 1);
    if (d_v != 0) pre.value2 = low16(i + 1);
  }
}

}  // namespace

// The step order is part of the result: a taken warning board, start or end
// cell refuses the slowdown before anything is written, while a taken
// pre-warning cell is only found after start, end and board have been laid,
// which then stay.
void memo_rallentamento(compile_context& ctx, std::int32_t x, std::int32_t& v,
                        std::int32_t& l, std::int32_t& f_tt, std::int32_t f_ta,
                        std::int32_t& d_v) {
  const double x_m = static_cast<double>(x);
  const double board_m = x_m - board_distance_m;
  const std::int64_t s = nearest_index(point_place(x_m));
  // Real arithmetic: x + l cannot overflow, and an end that lies off the grid
  // is refused below like any other cell.
  const std::int64_t e =
      nearest_index(point_place(x_m + static_cast<double>(l)));
  const std::int64_t w = nearest_index(point_place(board_m));
  const std::int64_t h = nearest_index(stretch_place(board_m));
  const bool has_board = x > no_warning_board_up_to_m;
  if (!has_board && f_ta != 0) {
    note_no_warning_board(ctx.notes, x);
    f_ta = 0;
  }

  if (has_board && !cell_can_take(ctx, w, code_warning_board_cell_taken))
    return;
  if (!cell_can_take(ctx, s, code_slowdown_start_cell_taken)) return;
  if (!cell_can_take(ctx, e, code_slowdown_end_cell_taken)) return;
  if (f_ta != 0) {
    for (std::int64_t i = 0; i < 4; ++i) {
      if (cell_at(ctx.grid, h - i) == nullptr) {
        record_error_code(ctx, code_slowdown_outside_grid);
        return;
      }
    }
  }

  // The end is written before the start, so a slowdown short enough to end
  // in its own start cell leaves a start there.
  track_cell& end = *cell_at(ctx.grid, e);
  track_cell& start = *cell_at(ctx.grid, s);
  end.kind = kind_slowdown_end;
  note_cell_owner(ctx, &end);
  if (d_v != 0) end.value2 = low16(d_v);
  start.kind = kind_slowdown_start;
  note_cell_owner(ctx, &start);
  if (d_v != 0) start.value2 = low16(d_v);
  if (has_board) {
    track_cell& board = *cell_at(ctx.grid, w);
    board.kind = kind_warning_board;
    note_cell_owner(ctx, &board);
    if (d_v != 0) board.value2 = low16(d_v);
    board.value1 = low16(v);
  }
  start.value1 = low16(v);
  end.value1 = low16(v);
  start.value3 = low16(f_tt);
  end.value3 = low16(f_tt);
  if (ctx.trace != nullptr)
    trace_place(
        *ctx.trace,
        "start cell " + std::to_string(s) + ", end cell " + std::to_string(e) +
            (has_board ? ", warning board in cell " + std::to_string(w)
                       : std::string(", no warning board")) +
            (f_ta != 0 ? ", pre-warning cells " + std::to_string(h - 3) +
                             " to " + std::to_string(h)
                       : std::string()));

  if (f_ta != 0) lay_pre_warning_cells(ctx, h, d_v);
}

row_result read_slowdown_row(compile_context& ctx, train_reading& reading) {
  std::int32_t x = 0;
  std::int32_t v = 0;
  std::int32_t l = 0;
  std::int32_t f_tt = 0;
  std::int32_t f_ta = 0;
  std::int32_t d_v = 0;
  if (!read_fields(reading.cur, x, v, l, f_tt, f_ta, d_v))
    return row_unreadable(ctx, reading,
                          "a field of a slowdown row cannot be read");
  // Only the start is tested against the grid; the end cell is checked when
  // the slowdown is laid.
  if (!row_fits(ctx, x, row_margin_m)) return beyond_grid(ctx, reading, x);

  const std::int32_t code_before = ctx.error_code;
  memo_rallentamento(ctx, x, v, l, f_tt, f_ta, d_v);
  return end_if_error(ctx, reading, code_before, x);
}
