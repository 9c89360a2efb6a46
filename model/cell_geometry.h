// Where positions along the line fall on the track grid. Positions are whole
// metres from the line origin; the grid has one cell for every 50 m.
//
// The places are real numbers, rounded by the caller with its own rule for
// values that do not fit (the nearest integer, an exact half going to the
// even neighbour): a point feature, such as a signal or a board, takes the
// cell nearest to x / 50 + 1; a stretch, such as a gradient or a mountain,
// begins or ends at the cell nearest to x / 50.
#pragma once

#include <cstdint>

inline constexpr std::int32_t cell_length_m = 50;

// The longest line a source may give (code 1 above it), and how far the grid
// and the plan reach beyond the end of a line.
inline constexpr std::int32_t longest_line_m = 1000000;
inline constexpr std::int32_t run_out_m = 7000;

// x / 50: where a stretch boundary at x metres falls, in cells.
inline double stretch_place(double x_m) {
  return x_m / static_cast<double>(cell_length_m);
}

// x / 50 + 1: where a point feature at x metres falls, in cells.
inline double point_place(double x_m) { return stretch_place(x_m) + 1.0; }

// The first metre of cell k, in 64 bits: k x 50.
inline std::int64_t cell_start_m(std::int64_t cell) {
  return cell * cell_length_m;
}

// True when a position lies on a cell boundary: a whole number of cells from
// the line origin, on either side of it.
inline bool on_cell_boundary(std::int64_t x_m) {
  return x_m % cell_length_m == 0;
}

// The metre a point feature in cell k stands at: (k - 1) x 50, the position
// that point_place puts back into cell k.
inline std::int64_t point_metre(std::int64_t cell) {
  return (cell - 1) * cell_length_m;
}
