#include "output/markers.h"

#include <limits>
#include <vector>

namespace {

constexpr std::int16_t marker_code = 180;
// Slowdowns at this speed or faster get no markers inside them.
constexpr std::int16_t rhythm_speed_limit = 110;
constexpr std::int32_t look_back_cells = 20;
// A signal below this cell is not examined, so its markers never reach below
// cell 1.
constexpr std::int32_t lowest_signal_cell = 3;
constexpr std::int32_t rhythm_cells = 8;
constexpr std::int32_t search_after_end_cells = 12;

// The groups before a slowdown start, as distances in cells below it, nearest
// first. A group is examined only when all three of its cells lie above
// cell 0.
struct start_group {
  std::int32_t nearest;
  std::int32_t farthest;
};
constexpr start_group start_groups[] = {{5, 7}, {11, 13}, {18, 20}};

std::int32_t cell_metres(std::int32_t cell) {
  std::int64_t metres = cell_start_m(cell);
  if (metres > std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(metres);
}

void record_marker_error(compile_context& ctx, std::int32_t code,
                         std::int32_t cell) {
  record_error(ctx, code, cell_metres(cell));
  ctx.error_where = error_source::markers;
  ctx.error_cell = cell;
  // For authors, every marker code found, not only the last.
  if (ctx.keep_going) ctx.found_errors.push_back(slot_as_found(ctx));
}

bool has_kind(const track_grid& grid, std::int64_t i, std::uint8_t kind) {
  const track_cell* cell = cell_at(grid, i);
  return cell != nullptr && cell->kind == kind;
}

// Places a marker on cell i when it exists and is free.
bool place_if_free(track_grid& grid, std::int64_t i) {
  track_cell* cell = cell_at(grid, i);
  if (cell == nullptr || !is_free(*cell)) return false;
  cell->kind = kind_code_marker;
  cell->value1 = marker_code;
  return true;
}

// Lowers the code of an existing marker on cell i to at most 180.
bool lower_if_marker(track_grid& grid, std::int64_t i) {
  track_cell* cell = cell_at(grid, i);
  if (cell == nullptr || cell->kind != kind_code_marker) return false;
  cell->value1 = minimo(marker_code, cell->value1);
  return true;
}

// Every signal within 20 cells below the warning board in cell i gets a
// marker just ahead of it.
void mark_signals_before_board(compile_context& ctx, std::int32_t i) {
  track_grid& grid = ctx.grid;
  for (std::int32_t f = 1; f <= look_back_cells; ++f) {
    const std::int32_t s = i - f;
    if (s < lowest_signal_cell) return;
    if (!has_kind(grid, s, kind_signal)) continue;
    if (place_if_free(grid, s - 1) || place_if_free(grid, s - 2) ||
        lower_if_marker(grid, s - 1) || lower_if_marker(grid, s - 2))
      continue;
    record_marker_error(ctx, code_no_free_cell_before_signal, s);
  }
}

void mark_start_groups(compile_context& ctx, std::int32_t i) {
  for (const start_group& group : start_groups) {
    if (i <= group.farthest) continue;
    bool placed = false;
    for (std::int32_t d = group.nearest; d <= group.farthest && !placed; ++d)
      placed = place_if_free(ctx.grid, i - d);
    if (!placed) record_marker_error(ctx, code_no_free_cell_in_start_group, i);
  }
}

// For every cell, the first slowdown end (kind 2) at or above it, or -1 when
// there is none up to the last cell. The pass never makes or removes a
// kind-2 cell, so one table, built before it, serves the whole pass.
std::vector<std::int32_t> slowdown_ends_above(const track_grid& grid) {
  const std::int32_t last = grid.last_index();
  std::vector<std::int32_t> next_end(static_cast<std::size_t>(last) + 2, -1);
  for (std::int32_t w = last; w >= 0; --w)
    next_end[static_cast<std::size_t>(w)] =
        has_kind(grid, w, kind_slowdown_end)
            ? w
            : next_end[static_cast<std::size_t>(w) + 1];
  return next_end;
}

// Walks up from the slowdown start in cell i to its end cell (the first
// kind-2 cell above it) and returns that cell, or -1 when the walk reaches
// the last cell of the grid first. With `place_rhythm` it places a marker
// every 8 cells on the way; a marker moved one cell down or up restarts the
// count from where it actually went. Markers placed before the walk runs out
// of grid stay, as the pass never removes a marker.
//
// Where no marker is placed any more the end is looked up instead of walked
// to, which keeps the whole pass linear in the length of the grid however
// many slowdowns share a stretch: every 8 steps of a walk place a marker on
// a free cell, and no cell is taken twice.
std::int32_t walk_to_end(compile_context& ctx, std::int32_t i,
                         bool place_rhythm,
                         const std::vector<std::int32_t>& next_end) {
  track_grid& grid = ctx.grid;
  const std::int32_t last = grid.last_index();
  if (i >= last) return -1;
  if (!place_rhythm) return next_end[static_cast<std::size_t>(i) + 1];
  std::int32_t k = 0;
  for (std::int32_t w = i + 1; w <= last; ++w) {
    ++k;
    if (k == rhythm_cells) {
      if (place_if_free(grid, w)) {
        k = 0;
      } else if (place_if_free(grid, w - 1)) {
        k = 1;
      } else if (place_if_free(grid, w + 1)) {  // refused beyond the last cell
        k = -1;
      } else {
        // k never comes back to 8: no further marker in this slowdown, only
        // its end is left to find.
        record_marker_error(ctx, code_no_free_cell_in_slowdown, w);
        return next_end[static_cast<std::size_t>(w)];
      }
    }
    if (has_kind(grid, w, kind_slowdown_end)) return w;
  }
  return -1;
}

// A marker ahead of the first signal within 12 cells of the end cell; the
// search stops at the last cell of the grid.
void mark_before_next_signal(compile_context& ctx, std::int32_t end) {
  track_grid& grid = ctx.grid;
  const std::int32_t last = grid.last_index();
  std::int32_t m = 0;
  for (std::int32_t t = end; t <= end + search_after_end_cells && t <= last;
       ++t) {
    if (has_kind(grid, t, kind_signal)) {
      m = t - 1;
      break;
    }
  }
  if (m <= 0) return;
  if (!place_if_free(grid, m) && !place_if_free(grid, m - 1))
    record_marker_error(ctx, code_no_free_cell_in_slowdown, end);
}

void mark_slowdown(compile_context& ctx, std::int32_t i,
                   const std::vector<std::int32_t>& next_end) {
  const track_cell* start = cell_at(ctx.grid, i);
  if (start == nullptr) return;
  const bool slow = start->value1 < rhythm_speed_limit;

  mark_start_groups(ctx, i);
  // A fast slowdown gets no rhythm markers, but its end is still found by the
  // same walk: the signal just after it needs its marker all the same.
  const std::int32_t end = walk_to_end(ctx, i, slow, next_end);
  if (end < 0) {
    record_marker_error(ctx, code_slowdown_without_end, i);
    return;
  }
  mark_before_next_signal(ctx, end);
}

}  // namespace

std::int16_t minimo(std::int16_t x, std::int16_t y) { return x > y ? y : x; }

void place_markers(compile_context& ctx) {
  // Cells N - 1 and N are never examined; a grid of fewer than four cells has
  // nothing to examine.
  const std::int32_t last_examined = ctx.grid.last_index() - 2;
  if (last_examined < 1) return;
  const std::vector<std::int32_t> next_end = slowdown_ends_above(ctx.grid);
  for (std::int32_t i = 1; i <= last_examined; ++i) {
    if (has_kind(ctx.grid, i, kind_warning_board))
      mark_signals_before_board(ctx, i);
    if (has_kind(ctx.grid, i, kind_slowdown_start))
      mark_slowdown(ctx, i, next_end);
  }
}
