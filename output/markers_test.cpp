#include "output/markers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct feature {
  std::int32_t cell;
  std::uint8_t kind;
  std::int16_t value1;
};

struct marker {
  std::int32_t cell;
  std::int16_t value1;
};

// A grid of cells 0..last with `features` placed. Every cell carries stretch
// values too, so a marker that changed more than kind and value1 shows.
track_grid make_grid(std::int32_t last, const std::vector<feature>& features) {
  track_grid grid;
  allocate_grid(grid, last);
  for (std::size_t i = 0; i < grid.cells.size(); ++i) {
    grid.cells[i].gradient = 100;
    grid.cells[i].speed_limit = 20;
    grid.cells[i].adhesion = static_cast<std::uint8_t>(i % 251);
  }
  for (const feature& f : features) {
    grid.cells[static_cast<std::size_t>(f.cell)].kind = f.kind;
    grid.cells[static_cast<std::size_t>(f.cell)].value1 = f.value1;
  }
  return grid;
}

std::string describe(const track_cell& c) {
  return "kind " + std::to_string(c.kind) + " v " + std::to_string(c.value1) +
         "," + std::to_string(c.value2) + "," + std::to_string(c.value3) + "," +
         std::to_string(c.value4) + " t " + std::to_string(c.timer) + " a " +
         std::to_string(c.approach) + " m " + std::to_string(c.mountain) +
         " s " + std::to_string(c.speed_limit) + " g " +
         std::to_string(c.gradient) + " ad " + std::to_string(c.adhesion);
}

void expect_same_grid(const track_grid& actual, const track_grid& expected) {
  ASSERT_EQ(actual.cells.size(), expected.cells.size());
  for (std::size_t i = 0; i < actual.cells.size(); ++i)
    EXPECT_EQ(describe(actual.cells[i]), describe(expected.cells[i]))
        << "cell " << i;
}

constexpr std::uint8_t sig = kind_signal;
constexpr std::uint8_t slow_end = kind_slowdown_end;
constexpr std::uint8_t slow_start = kind_slowdown_start;
constexpr std::uint8_t board = kind_warning_board;
constexpr std::uint8_t taken = kind_text_board;  // any kind that is not free

TEST(place_markers, completes_the_grid_around_slowdowns) {
  struct {
    const char* note;
    std::int32_t last;
    std::vector<feature> features;
    std::vector<marker> markers;  // cells that end as kind 12 with value1
    std::int32_t error_code;      // 0: none recorded
    std::int32_t error_cell;      // position = cell x 50
  } cases[] = {
      // Signals ahead of a warning board.
      {"no slowdown: grid unchanged",
       60,
       {{10, sig, 44},
        {20, kind_speed_board, 3},
        {25, kind_tunnel_marker, 0},
        {30, slow_end, 60}},
       {},
       0,
       0},
      {"board 40, signals 30 and 35",
       60,
       {{40, board, 60}, {30, sig, 0}, {35, sig, 0}},
       {{29, 180}, {34, 180}},
       0,
       0},
      {"signal 20 cells below the board is handled",
       60,
       {{45, board, 60}, {25, sig, 0}},
       {{24, 180}},
       0,
       0},
      {"signal 21 cells below the board is not",
       60,
       {{46, board, 60}, {25, sig, 0}},
       {},
       0,
       0},
      {"a tunnel marker ahead of the signal is replaced",
       60,
       {{40, board, 60}, {30, sig, 0}, {29, kind_tunnel_marker, 0}},
       {{29, 180}},
       0,
       0},
      {"s - 1 taken: the marker goes to s - 2",
       60,
       {{40, board, 60}, {30, sig, 0}, {29, taken, 0}},
       {{28, 180}},
       0,
       0},
      {"s - 1 taken, s - 2 a marker of 75: keeps 75",
       60,
       {{40, board, 60}, {30, sig, 0}, {29, taken, 0}, {28, 12, 75}},
       {{28, 75}},
       0,
       0},
      {"s - 1 taken, s - 2 a marker of 270: lowered to 180",
       60,
       {{40, board, 60}, {30, sig, 0}, {29, taken, 0}, {28, 12, 270}},
       {{28, 180}},
       0,
       0},
      {"s - 1 a marker of 270, s - 2 taken: lowered to 180",
       60,
       {{40, board, 60}, {30, sig, 0}, {29, 12, 270}, {28, taken, 0}},
       {{29, 180}},
       0,
       0},
      {"s - 1 already a marker, s - 2 free: s - 2 gets one as well",
       60,
       {{40, board, 60}, {30, sig, 0}, {29, 12, 270}},
       {{29, 270}, {28, 180}},
       0,
       0},
      {"signal in cell 2 is not examined",
       60,
       {{10, board, 60}, {2, sig, 0}},
       {},
       0,
       0},
      {"signal in cell 3 is examined",
       60,
       {{10, board, 60}, {3, sig, 0}},
       {{2, 180}},
       0,
       0},
      {"no room before the signal: 11 at the signal cell",
       60,
       {{40, board, 60}, {30, sig, 0}, {29, taken, 0}, {28, taken, 0}},
       {},
       11,
       30},

      // Around a slowdown: start 100, end 130.
      {"speed 60: groups, rhythm, marker before the next signal",
       200,
       {{100, slow_start, 60}, {130, slow_end, 60}, {137, sig, 0}},
       {{95, 180},
        {89, 180},
        {82, 180},
        {108, 180},
        {116, 180},
        {124, 180},
        {136, 180}},
       0,
       0},
      {"cell 108 taken: rhythm moves to 107, then 115 and 123",
       200,
       {{100, slow_start, 60},
        {130, slow_end, 60},
        {137, sig, 0},
        {108, taken, 0}},
       {{95, 180},
        {89, 180},
        {82, 180},
        {107, 180},
        {115, 180},
        {123, 180},
        {136, 180}},
       0,
       0},
      {"cells 108 and 107 taken: rhythm moves to 109, then 117 and 125",
       200,
       {{100, slow_start, 60},
        {130, slow_end, 60},
        {108, taken, 0},
        {107, taken, 0}},
       {{95, 180}, {89, 180}, {82, 180}, {109, 180}, {117, 180}, {125, 180}},
       0,
       0},
      {"no room for a rhythm marker: 13 there, no further rhythm markers",
       200,
       {{100, slow_start, 60},
        {130, slow_end, 60},
        {137, sig, 0},
        {107, taken, 0},
        {108, taken, 0},
        {109, taken, 0}},
       {{95, 180}, {89, 180}, {82, 180}, {136, 180}},
       13,
       108},
      {"speed 109 still gets rhythm markers",
       200,
       {{100, slow_start, 109}, {130, slow_end, 109}},
       {{95, 180}, {89, 180}, {82, 180}, {108, 180}, {116, 180}, {124, 180}},
       0,
       0},
      {"speed 110: no rhythm, still the marker before the next signal",
       200,
       {{100, slow_start, 110}, {130, slow_end, 110}, {137, sig, 0}},
       {{95, 180}, {89, 180}, {82, 180}, {136, 180}},
       0,
       0},
      {"first cell of a group taken: the next one in the group",
       200,
       {{100, slow_start, 120}, {130, slow_end, 120}, {95, taken, 0}},
       {{94, 180}, {89, 180}, {82, 180}},
       0,
       0},
      {"a group without a free cell: 12 at the start, other groups placed",
       200,
       {{100, slow_start, 120},
        {130, slow_end, 120},
        {95, taken, 0},
        {94, taken, 0},
        {93, taken, 0}},
       {{89, 180}, {82, 180}},
       12,
       100},
      {"start at 7: no group examined",
       30,
       {{7, slow_start, 120}, {12, slow_end, 120}},
       {},
       0,
       0},
      {"start at 8: only group 1",
       30,
       {{8, slow_start, 120}, {12, slow_end, 120}},
       {{3, 180}},
       0,
       0},
      {"start at 14: groups 1 and 2",
       30,
       {{14, slow_start, 120}, {16, slow_end, 120}},
       {{9, 180}, {3, 180}},
       0,
       0},
      {"start at 21: all three groups",
       30,
       {{21, slow_start, 120}, {23, slow_end, 120}},
       {{16, 180}, {10, 180}, {3, 180}},
       0,
       0},
      {"cell before the next signal taken: the cell below it",
       200,
       {{100, slow_start, 120},
        {130, slow_end, 120},
        {137, sig, 0},
        {136, taken, 0}},
       {{95, 180}, {89, 180}, {82, 180}, {135, 180}},
       0,
       0},
      {"no room before the next signal: 13 at the end cell",
       200,
       {{100, slow_start, 120},
        {130, slow_end, 120},
        {137, sig, 0},
        {136, taken, 0},
        {135, taken, 0}},
       {{95, 180}, {89, 180}, {82, 180}},
       13,
       130},
      {"signal 12 cells after the end is searched",
       200,
       {{100, slow_start, 120}, {130, slow_end, 120}, {142, sig, 0}},
       {{95, 180}, {89, 180}, {82, 180}, {141, 180}},
       0,
       0},
      {"signal 13 cells after the end is not",
       200,
       {{100, slow_start, 120}, {130, slow_end, 120}, {143, sig, 0}},
       {{95, 180}, {89, 180}, {82, 180}},
       0,
       0},

      // At the end of the grid.
      {"end in the last cell: the search stops there",
       130,
       {{100, slow_start, 60}, {130, slow_end, 60}},
       {{95, 180}, {89, 180}, {82, 180}, {108, 180}, {116, 180}, {124, 180}},
       0,
       0},
      {"no end cell: walk stops at the last cell, 114 at the start",
       120,
       {{100, slow_start, 60}},
       {{95, 180}, {89, 180}, {82, 180}, {108, 180}, {116, 180}},
       114,
       100},
      {"speed 110 and no end cell: 114 as well",
       120,
       {{100, slow_start, 110}},
       {{95, 180}, {89, 180}, {82, 180}},
       114,
       100},
      {"rhythm cell is the last one, w + 1 lies beyond the grid: 13",
       108,
       {{100, slow_start, 60}, {108, slow_end, 60}, {107, taken, 0}},
       {{95, 180}, {89, 180}, {82, 180}},
       13,
       108},
      {"a start in cell N - 1 is not examined",
       101,
       {{100, slow_start, 60}},
       {},
       0,
       0},
      {"tiny grid, start in cell 1 without an end",
       3,
       {{1, slow_start, 60}},
       {},
       114,
       1},

      // The pass goes on after an error; the later code stays.
      {"11 then 12, and the board after both still gets its marker",
       200,
       {{40, board, 60},
        {30, sig, 0},
        {29, taken, 0},
        {28, taken, 0},
        {100, slow_start, 120},
        {130, slow_end, 120},
        {95, taken, 0},
        {94, taken, 0},
        {93, taken, 0},
        {160, board, 60},
        {150, sig, 0}},
       {{89, 180}, {82, 180}, {149, 180}},
       12,
       100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    compile_context ctx;
    ctx.grid = make_grid(c.last, c.features);
    track_grid expected = ctx.grid;
    for (const marker& m : c.markers) {
      expected.cells[static_cast<std::size_t>(m.cell)].kind = kind_code_marker;
      expected.cells[static_cast<std::size_t>(m.cell)].value1 = m.value1;
    }

    place_markers(ctx);
    expect_same_grid(ctx.grid, expected);
    EXPECT_EQ(ctx.error_code, c.error_code);
    if (c.error_code != 0) {
      EXPECT_EQ(ctx.error_position, c.error_cell * 50);
      EXPECT_EQ(ctx.error_cell, c.error_cell);
      EXPECT_EQ(ctx.error_where, error_source::markers);
    } else {
      EXPECT_EQ(ctx.error_position, 0);
      EXPECT_EQ(ctx.error_where, error_source::none);
    }
  }
}

TEST(place_markers, leaves_an_unallocated_grid_and_the_error_slot_alone) {
  compile_context ctx;
  ctx.error_code = 6;
  ctx.error_position = 6150;
  place_markers(ctx);
  EXPECT_FALSE(ctx.grid.allocated());
  EXPECT_EQ(ctx.error_code, 6);
  EXPECT_EQ(ctx.error_position, 6150);
}

TEST(minimo, the_smaller_of_the_two) {
  EXPECT_EQ(minimo(180, 75), 75);
  EXPECT_EQ(minimo(180, 270), 180);
  EXPECT_EQ(minimo(180, 180), 180);
  EXPECT_EQ(minimo(-5, 3), -5);
}

}  // namespace
