#include "reader/line_rows.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/stored_values.h"
#include "reader/author_notes.h"
#include "reader/field_trace.h"
#include "reader/labels.h"
#include "reader/row_notes.h"

namespace {

// Curve rows walk the plan no further than this metre, whatever the grid
// allows.
constexpr std::int32_t last_plan_metre = 1000000;

// The walk over the plan keeps the two metres before the next one at hand:
// they are the very doubles the table holds, and a long line's plan (a
// million metres) then costs a few operations per metre instead of reading
// both points back from the table at every step.
struct plan_walk {
  double x1, y1;  // metre m - 1
  double x2, y2;  // metre m - 2
};

plan_walk start_walk(const curve_table& ct, std::int64_t m) {
  return {curve_value(ct, m - 1, 0), curve_value(ct, m - 1, 1),
          curve_value(ct, m - 2, 0), curve_value(ct, m - 2, 1)};
}

// Metre m of the plan from the direction of the metre before it. A curved
// metre turns that direction by about kappa radians; the direction is never
// rescaled, so it lengthens very slightly along every curve. Returns false,
// with nothing stored, when metre m lies outside the table.
bool step_plan(curve_table& ct, plan_walk& w, std::int64_t m, bool curved,
               double kappa) {
  const double dx = w.x1 - w.x2;
  const double dy = w.y1 - w.y2;
  const double x = curved ? w.x1 + (dx + kappa * dy) : w.x1 + dx;
  const double y = curved ? w.y1 + (dy - kappa * dx) : w.y1 + dy;
  if (!set_curve_real(ct, m, 0, x) || !set_curve_real(ct, m, 1, y))
    return false;
  w = {x, y, w.x1, w.y1};
  return true;
}

// The curvature per metre of the class named in a curve token: the first of
// the digits 1 to 6, tested in that order, that occurs anywhere in it.
bool curve_class_curvature(const std::string& token, double& kappa) {
  static constexpr struct {
    const char* digit;
    double kappa;
  } classes[] = {{"1", 0.0001}, {"2", 0.0002}, {"3", 0.0004},
                 {"4", 0.001},  {"5", 0.002},  {"6", 0.003}};
  for (const auto& c : classes) {
    if (contains_exact(token, c.digit)) {
      kappa = c.kappa;
      return true;
    }
  }
  return false;
}

// Walks the plan up to and including metre `last`, turning by kappa per metre
// when `curved`. A row that computes metre 1,000,000 fails with 103 right
// after it. A metre beyond the table's last metre E is refused with 108 before
// it is written; the metres up to E computed so far stay in the table.
row_result walk_plan(compile_context& ctx, line_reading& r, std::int64_t last,
                     bool curved, double kappa, std::int32_t start_m) {
  plan_walk w = start_walk(ctx.curves, r.curve_metre);
  while (r.curve_metre <= last) {
    if (!step_plan(ctx.curves, w, r.curve_metre, curved, kappa)) {
      record_error(ctx, code_curve_beyond_plan, start_m);
      return line_coded_error(ctx, r);
    }
    ++r.curve_metre;
    if (r.curve_metre > last_plan_metre) {
      record_error_code(ctx, code_no_curve_class);
      return line_coded_error(ctx, r);
    }
  }
  return row_result::next;
}

// The one cell of a point feature at `position`. A position before the origin
// of the grid has no cell, and a cell that does not exist is not free either.
std::int32_t point_cell(std::int32_t position) {
  std::int32_t c = 0;
  // Any 32-bit position divided by 50 fits 32 bits again.
  (void)nearest_i32(point_place(static_cast<double>(position)), c);
  return c;
}

// The cell of a board at `position`, when it is free; otherwise null, with
// `code` recorded. A cell that does not exist is not free either.
track_cell* free_board_cell(compile_context& ctx, std::int32_t position,
                            std::int32_t code) {
  return free_cell(ctx, point_cell(position), code, code);
}

}  // namespace

row_result read_gradient_row(compile_context& ctx, line_reading& r) {
  std::int32_t p = 0;
  std::int32_t g = 0;
  if (!read_fields(r.cur, p, g))
    return line_reading_failure(
        ctx, r, "gradient row: a number is missing or out of range");
  note_gradient_value(ctx.notes, r.cur, g);
  if (!row_fits(ctx, p, row_margin_m)) return line_beyond_grid(ctx, r, p);
  std::int32_t k = 0;
  (void)nearest_i32(stretch_place(static_cast<double>(p)), k);  // always fits
  note_fill_row(ctx.notes, row_id::gradient, p, k, r.gradient_fill);
  // The row closes the stretch of the row before it: cells from the fill
  // index up to k - 1 take the previous gradient, and always at least one
  // cell, so rows that repeat a position still move the fill on. Since
  // accepted positions keep k at N - 2 or less, a fill past N can only come
  // from such repeats; the row is refused before its one write.
  if (k > 0 &&
      !fill_cells(ctx.grid, r.gradient_fill, k, no_stop, &track_cell::gradient,
                  encode_gradient(r.current_gradient))) {
    record_error(ctx, code_gradient_beyond_grid, p);
    return line_coded_error(ctx, r);
  }
  r.current_gradient = g;
  if (ctx.trace != nullptr)
    trace_place(*ctx.trace,
                "gradient of the cells from cell " +
                    std::to_string(r.gradient_fill) +
                    " up to the next gradient row, stored as byte " +
                    std::to_string(encode_gradient(g)));
  return row_result::next;
}

row_result read_curve_row(compile_context& ctx, line_reading& r) {
  std::int32_t s = 0;
  std::int32_t lc = 0;
  if (!read_fields(r.cur, s, lc))
    return line_reading_failure(
        ctx, r, "curve row: a number is missing or out of range");
  // Only the start is checked: a long curve may run on past the grid and is
  // bounded by the plan itself.
  if (!row_fits(ctx, s, row_margin_m)) return line_beyond_grid(ctx, r, s);
  double kappa = 0.0;
  if (!curve_class_curvature(ctx.current_token, kappa)) {
    record_error_code(ctx, code_no_curve_class);
    return line_coded_error(ctx, r);
  }
  if (contains_keyword(ctx.current_token, "s")) kappa = -kappa;
  note_curve_row(ctx.notes, s, lc, r.curve_metre);
  note_curve_owner(ctx, s, lc);
  if (ctx.trace != nullptr)
    trace_place(*ctx.trace, "plan metres " +
                                std::to_string(std::max<std::int64_t>(
                                    std::int64_t{s} + 1, r.curve_metre)) +
                                " to " + std::to_string(std::int64_t{s} + lc) +
                                ", turning " + std::to_string(kappa) +
                                " per metre");

  // Metres up to the start continue the last direction; the curve itself
  // turns metres s + 1 to s + lc. A row behind the walk only turns what is
  // left of it.
  row_result outcome = walk_plan(ctx, r, s, false, 0.0, s);
  if (outcome != row_result::next) return outcome;
  return walk_plan(ctx, r, static_cast<std::int64_t>(s) + lc, true, kappa, s);
}

void memo_montagna(compile_context& ctx, line_reading& r, std::int32_t inizio,
                   std::int32_t fine, std::int32_t tipo) {
  // The stretch covers the cells from the nearest to inizio / 50 up to the
  // one before the nearest to fine / 50: none when its end is not beyond
  // its start.
  std::int32_t first = 0;
  std::int32_t end_cell = 0;
  (void)nearest_i32(stretch_place(static_cast<double>(inizio)), first);
  (void)nearest_i32(stretch_place(static_cast<double>(fine)), end_cell);
  const std::int64_t last = static_cast<std::int64_t>(end_cell) - 1;
  note_mountain_row(ctx.notes, inizio, fine, first, last);

  bool tunnel = false;
  if (tipo > 10) {
    tipo -= 10;
    tunnel = true;
  }
  if (r.mountain_count >= max_mountain_rows) {
    record_error(ctx, code_too_many_mountains, inizio);
    return;
  }
  ++r.mountain_count;
  std::size_t row = static_cast<std::size_t>(r.mountain_count);
  r.mountain_start[row] = inizio;
  r.mountain_end[row] = fine;
  // A stretch that begins 150 m or less after the previous row's end joins
  // it; whatever the types were, the join is drawn as type 3.
  if (row > 1 &&
      static_cast<std::int64_t>(inizio) - r.mountain_end[row - 1] <= 150)
    tipo = 3;

  if (ctx.trace != nullptr)
    trace_place(*ctx.trace, first > last
                                ? std::string("no cell")
                                : "cells " + std::to_string(first) + " to " +
                                      std::to_string(last) + ", type " +
                                      std::to_string(tipo) +
                                      (tunnel ? ", a tunnel" : ""));
  if (first > last) return;
  // The end is never checked against the grid, and a start before the origin
  // passes the position check; such a stretch is refused whole.
  if (first < 0 || last > ctx.grid.last_index()) {
    record_error(ctx, code_mountain_outside_grid, inizio);
    return;
  }
  // The type keeps its low 8 bits. A tunnel gets a marker in its 4th, 8th,
  // ... cell, every 200 m, where nothing stands yet.
  std::uint8_t stored_type =
      static_cast<std::uint8_t>(static_cast<std::uint32_t>(tipo));
  for (std::int64_t c = first; c <= last; ++c) {
    track_cell* cell = cell_at(ctx.grid, c);
    if (cell == nullptr) return;
    cell->mountain = stored_type;
    std::int64_t j = c - first + 1;
    if (tunnel && j % 4 == 0 && cell->kind == kind_plain) {
      cell->kind = kind_tunnel_marker;
      note_cell_owner(ctx, cell);
    }
  }
}

row_result read_mountain_row(compile_context& ctx, line_reading& r) {
  std::int32_t inizio = 0;
  std::int32_t fine = 0;
  std::int32_t tipo = 0;
  if (!read_fields(r.cur, inizio, fine, tipo))
    return line_reading_failure(
        ctx, r, "mountain row: a number is missing or out of range");
  if (!row_fits(ctx, inizio, row_margin_m))
    return line_beyond_grid(ctx, r, inizio);
  memo_montagna(ctx, r, inizio, fine, tipo);
  if (ctx.error_code > 0) return line_coded_error(ctx, r);
  return row_result::next;
}

bool memo_indicatori_v_max(compile_context& ctx, std::int32_t posizione,
                           std::int32_t vas, std::int32_t vbs, std::int32_t vcs,
                           std::int32_t strisces, std::int32_t vad,
                           std::int32_t vbd, std::int32_t vcd,
                           std::int32_t strisced) {
  track_cell* cell =
      free_board_cell(ctx, posizione, code_speed_board_cell_taken);
  if (cell == nullptr) return true;
  // All three speeds are encoded before the cell is touched, so a board
  // refused for a speed out of range leaves no half-written cell behind.
  speed_board_parts parts;
  parts.first_kmh = {vas, vbs, vcs};
  parts.second_kmh = {vad, vbd, vcd};
  parts.first_stripes = strisces;
  parts.second_stripes = strisced;
  if (!pack_speed_board(parts, *cell)) return false;
  cell->kind = kind_speed_board;
  note_cell_owner(ctx, cell);
  if (ctx.trace != nullptr)
    trace_place(*ctx.trace, "cell " + std::to_string(point_cell(posizione)) +
                                ": value1 " + std::to_string(cell->value1) +
                                ", value2 " + std::to_string(cell->value2) +
                                ", value3 " + std::to_string(cell->value3) +
                                ", value4 " + std::to_string(cell->value4));
  return true;
}

row_result read_speed_board_row(compile_context& ctx, line_reading& r) {
  std::int32_t posizione = 0;
  std::int32_t vas = 0;
  std::int32_t vbs = 0;
  std::int32_t vcs = 0;
  std::int32_t strisces = 0;
  std::int32_t vad = 0;
  std::int32_t vbd = 0;
  std::int32_t vcd = 0;
  std::int32_t strisced = 0;
  if (!read_fields(r.cur, posizione, vas, vbs, vcs, strisces, vad, vbd, vcd,
                   strisced))
    return line_reading_failure(
        ctx, r, "speed indicator board: a number is missing or out of range");
  if (!row_fits(ctx, posizione, row_margin_m))
    return line_beyond_grid(ctx, r, posizione);
  if (!memo_indicatori_v_max(ctx, posizione, vas, vbs, vcs, strisces, vad, vbd,
                             vcd, strisced))
    return line_reading_failure(
        ctx, r, "speed indicator board: a speed does not fit 16 bits");
  // The test is on the error slot as a whole, as after every placement.
  if (ctx.error_code > 0) {
    ctx.error_position = posizione;
    return line_coded_error(ctx, r);
  }
  return row_result::next;
}

row_result read_text_board_row(compile_context& ctx, line_reading& r) {
  std::int32_t position = 0;
  if (!read_number_field(r.cur, position) ||
      !read_text_field(r.cur, ctx.current_token))
    return line_reading_failure(
        ctx, r, "indicator board: a field is missing or out of range");
  take_label(ctx, r.cur, "board text", ctx.current_token);
  if (!row_fits(ctx, position, row_margin_m))
    return line_beyond_grid(ctx, r, position);
  track_cell* cell = free_board_cell(ctx, position, code_text_board_cell_taken);
  if (cell == nullptr) {
    ctx.error_position = position;
    return line_coded_error(ctx, r);
  }
  // Board texts fill the line table from slot 80 down and stations from slot
  // 1 up; a text never goes below slot 1.
  line_record* slot = slot_at(ctx.table, r.board_slot);
  if (r.board_slot < 1 || slot == nullptr) {
    record_error(ctx, code_board_slots_used_up, position);
    return line_coded_error(ctx, r);
  }
  cell->kind = kind_text_board;
  note_cell_owner(ctx, cell);
  cell->value1 = static_cast<std::int16_t>(r.board_slot);
  slot->label = ctx.current_token;
  if (ctx.trace != nullptr)
    trace_place(*ctx.trace, "cell " + std::to_string(point_cell(position)) +
                                ", its text in line table slot " +
                                std::to_string(r.board_slot));
  --r.board_slot;
  return row_result::next;
}

void gradient_tail(compile_context& ctx, line_reading& r) {
  // The last gradient runs on up to cell N - 3, again writing at least one
  // cell. Should the last row already have filled cell N, there is no cell
  // left for that one write and the tail writes nothing.
  (void)fill_cells(ctx.grid, r.gradient_fill, ctx.grid.last_index() - 2,
                   no_stop, &track_cell::gradient,
                   encode_gradient(r.current_gradient));
}

void curve_tail(compile_context& ctx, line_reading& r) {
  if (!ctx.curves.allocated()) return;
  // The last direction runs on to metre E - 2; E - 1 and E stay empty.
  std::int64_t last = static_cast<std::int64_t>(ctx.curves.last_metre) - 2;
  plan_walk w = start_walk(ctx.curves, r.curve_metre);
  for (; r.curve_metre <= last; ++r.curve_metre)
    (void)step_plan(ctx.curves, w, r.curve_metre, false, 0.0);
}

row_result line_coded_error(compile_context& ctx, const line_reading& r,
                            fault_field field) {
  note_error_origin(ctx, error_source::line_source, r.cur, field);
  return row_result::coded_error;
}

row_result line_reading_failure(compile_context& ctx, const line_reading& r,
                                const char* what) {
  note_error_origin(ctx, error_source::line_source, r.cur);
  const std::string told = field_failure_text(r.cur, r.row, what);
  (void)record_reading_failure(ctx, line_source_name(ctx) + ": " + told, told);
  return row_result::reading_failure;
}

row_result line_beyond_grid(compile_context& ctx, const line_reading& r,
                            std::int32_t position) {
  record_error(ctx, code_beyond_grid, position);
  note_error_origin(ctx, error_source::line_source, r.cur, fault_field::first);
  return row_result::beyond_grid;
}
