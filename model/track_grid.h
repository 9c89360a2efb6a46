// The track grid: one cell for every 50 metres of line, cell 0 to N.
//
// Cells carry what stands at that point (signal, board, slowdown, markers) and
// the properties of the stretch (gradient, speed limit, adhesion, mountain).
// Access by index goes through `cell_at`, which refuses any index outside the
// grid, so no reader can touch memory beyond it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct track_cell {
  std::uint8_t kind = 0;
  std::int16_t value1 = 0;
  std::int16_t value2 = 0;
  std::int16_t value3 = 0;
  std::int16_t value4 = 0;
  std::uint8_t timer = 0;
  std::uint8_t approach = 0;
  std::uint8_t mountain = 0;
  std::uint8_t speed_limit = 0;
  std::uint8_t gradient = 0;
  std::uint8_t adhesion = 0;
};

// The values of `track_cell::kind`.
inline constexpr std::uint8_t kind_plain = 0;
inline constexpr std::uint8_t kind_signal = 1;
inline constexpr std::uint8_t kind_slowdown_end = 2;
inline constexpr std::uint8_t kind_slowdown_start = 3;
inline constexpr std::uint8_t kind_warning_board = 4;
inline constexpr std::uint8_t kind_pre_warning = 5;
inline constexpr std::uint8_t kind_speed_board = 6;
inline constexpr std::uint8_t kind_station_marker = 10;
inline constexpr std::uint8_t kind_tunnel_marker = 11;
inline constexpr std::uint8_t kind_code_marker = 12;
inline constexpr std::uint8_t kind_zero_code_marker = 13;
inline constexpr std::uint8_t kind_text_board = 14;

// A cell that a point feature may take: nothing there, or a tunnel marker.
inline bool is_free(const track_cell& cell) {
  return cell.kind == kind_plain || cell.kind == kind_tunnel_marker;
}

struct track_grid {
  std::vector<track_cell> cells;  // empty until the line length is read

  bool allocated() const { return !cells.empty(); }
  // N, the last index; -1 while unallocated.
  std::int32_t last_index() const {
    return static_cast<std::int32_t>(cells.size()) - 1;
  }
};

// Replaces the grid by n + 1 zeroed cells. REQUIRES: n >= 0.
inline void allocate_grid(track_grid& grid, std::int32_t n) {
  grid.cells.assign(static_cast<std::size_t>(n) + 1, track_cell{});
}

// The cell at index i, or nullptr when i lies outside 0..N.
inline track_cell* cell_at(track_grid& grid, std::int64_t i) {
  if (i < 0 || i >= static_cast<std::int64_t>(grid.cells.size()))
    return nullptr;
  return &grid.cells[static_cast<std::size_t>(i)];
}
inline const track_cell* cell_at(const track_grid& grid, std::int64_t i) {
  if (i < 0 || i >= static_cast<std::int64_t>(grid.cells.size()))
    return nullptr;
  return &grid.cells[static_cast<std::size_t>(i)];
}

// True when cell i exists and is free.
inline bool cell_is_free(const track_grid& grid, std::int64_t i) {
  const track_cell* cell = cell_at(grid, i);
  return cell != nullptr && is_free(*cell);
}
