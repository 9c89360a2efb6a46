#include "model/cell_geometry.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "model/packing.h"

namespace {

TEST(cell_geometry, on_cell_boundary) {
  const struct {
    std::int64_t x_m;
    bool on_boundary;
    const char* note;
  } cases[] = {
      {0, true, "the line origin"},
      {50, true, "the end of cell 0"},
      {25000, true, "a whole number of cells"},
      {25020, false, "20 m into a cell"},
      {49, false, "a metre short of the first boundary"},
      {-50, true, "a boundary before the origin"},
      {-25, false, "inside the cell before the origin"},
      {INT32_MIN, false, "the lowest 32-bit position, 48 m off a boundary"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    EXPECT_EQ(on_cell_boundary(c.x_m), c.on_boundary);
  }
}

// point_metre is the inverse of point_place: the feature at the metre of cell
// k lies in cell k, and the metres around it stay there up to half a cell.
TEST(cell_geometry, point_metre_is_the_inverse_of_point_place) {
  for (std::int64_t k : {0, 1, 2, 41, 2300, 20141}) {
    SCOPED_TRACE(k);
    const std::int64_t m = point_metre(k);
    std::int32_t cell = -1;
    ASSERT_TRUE(nearest_i32(point_place(static_cast<double>(m)), cell));
    EXPECT_EQ(cell, k);
    ASSERT_TRUE(nearest_i32(point_place(static_cast<double>(m + 24)), cell));
    EXPECT_EQ(cell, k);
  }
}

}  // namespace
