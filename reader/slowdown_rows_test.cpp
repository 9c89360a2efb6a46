#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "test/train_fixture.h"

namespace {

struct cell_values {
  std::int64_t cell;
  std::uint8_t kind;
  std::int16_t value1;
  std::int16_t value2;
  std::int16_t value3;
};

void expect_cells(train_fixture& f, const std::vector<cell_values>& cells) {
  for (const cell_values& want : cells) {
    SCOPED_TRACE("cell " + std::to_string(want.cell));
    const track_cell& cell = f.cell(want.cell);
    EXPECT_EQ(cell.kind, want.kind);
    EXPECT_EQ(cell.value1, want.value1);
    EXPECT_EQ(cell.value2, want.value2);
    EXPECT_EQ(cell.value3, want.value3);
  }
}

// Laid slowdowns, and the one whose own warning board takes its first
// pre-warning cell (code 20 after start, end and board are written).
TEST(slowdown_rows, cells_of_a_slowdown) {
  struct {
    std::string row;
    std::int32_t code;
    std::vector<cell_values> cells;
    const char* note;
  } cases[] = {
      {"rallentamento, 30000, 60, 1000, 1, 1, 0",
       0,
       {{601, 3, 60, 0, 1},
        {621, 2, 60, 0, 1},
        {577, 4, 60, 0, 0},
        {576, 5, 1, 0, 0},
        {575, 5, 2, 0, 0},
        {574, 5, 3, 0, 0},
        {573, 5, 4, 0, 0},
        {572, 0, 0, 0, 0},
        {578, 0, 0, 0, 0}},
       "board 1200 m before, pre-warnings numbered away from it"},
      {"rallentamento, 30000, 60, 1000, 1, 1, 9",
       0,
       {{601, 3, 60, 9, 1},
        {621, 2, 60, 9, 1},
        {577, 4, 60, 9, 0},
        {576, 5, 1, 1, 0},
        {573, 5, 4, 4, 0}},
       "a second speed goes into value2, the numbers too"},
      {"rallentamento, 30000, 60, 1000, 1, 0, 0",
       0,
       {{577, 4, 60, 0, 0}, {576, 0, 0, 0, 0}},
       "no pre-warnings without f_ta"},
      {"rallentamento, 1500, 40, 500, 0, 1, 0",
       0,
       {{31, 3, 40, 0, 0},
        {41, 2, 40, 0, 0},
        {7, 0, 0, 0, 0},
        {6, 0, 0, 0, 0},
        {4, 0, 0, 0, 0}},
       "at 1500 m no board and no pre-warnings"},
      {"rallentamento, 1550, 40, 500, 0, 1, 0",
       0,
       {{32, 3, 40, 0, 0},
        {8, 4, 40, 0, 0},
        {7, 5, 1, 0, 0},
        {4, 5, 4, 0, 0},
        {3, 0, 0, 0, 0}},
       "at 1550 m the board is in cell 8"},
      {"rallentamento, 1525, 40, 500, 0, 1, 0",
       0,
       {{8, 4, 40, 0, 0}, {7, 0, 0, 0, 0}, {6, 5, 1, 0, 0}, {3, 5, 4, 0, 0}},
       "7.5 and 6.5 round to even: board 8, pre-warnings from 6"},
      {"rallentamento, 1575, 40, 500, 0, 1, 0",
       20,
       {{32, 3, 40, 0, 0},
        {42, 2, 40, 0, 0},
        {8, 4, 40, 0, 0},
        {7, 0, 0, 0, 0},
        {5, 0, 0, 0, 0}},
       "8.5 and 7.5 both give 8: the board takes the first pre-warning"},
      {"rallentamento, 2000, 40, 10, 7, 0, 0",
       0,
       {{41, 3, 40, 0, 7}, {42, 0, 0, 0, 0}},
       "an end in the start cell leaves the start"},
      {"rallentamento, 2000, 70000, 100, -1, 0, 70001",
       0,
       {{41, 3, 4464, 4465, -1}, {43, 2, 4464, 4465, -1}},
       "values keep their low 16 bits"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    train_fixture f;
    f.read(train_source({c.row}));
    EXPECT_EQ(f.ctx.error_code, c.code);
    if (c.code != 0) {
      EXPECT_EQ(f.ctx.error_position, 1575);
    }
    expect_cells(f, c.cells);
    EXPECT_FALSE(f.source_left());
  }
}

// Refusals with nothing written: the cells the slowdown would take keep
// what they held.
TEST(slowdown_rows, refused_before_anything_is_written) {
  struct {
    std::vector<std::string> rows;  // the last one is refused
    std::int32_t code;
    std::int32_t position;
    std::vector<std::int64_t> clear_cells;
    const char* note;
  } cases[] = {
      {{"segnale, 28800, 1, 1,1,1, 0, 0, 0,0,0, 0",
        "rallentamento, 30000, 60, 1000, 1, 1, 0"},
       17,
       30000,
       {601, 621, 576},
       "the board would fall on a signal"},
      {{"segnale, 28800, 1, 1,1,1, 0, 0, 0,0,0, 0", "abbattimento, 30050, 10",
        "rallentamento, 30000, 60, 1000, 1, 1, 0"},
       17,
       30000,
       {621},
       "board and start taken: the board is tested first"},
      {{"rallentamento, 30000, 60, 1000, 1, 0, 0",
        "rallentamento, 31200, 50, 1000, 1, 0, 0"},
       17,
       31200,
       {625, 645},
       "the board on an earlier slowdown's start"},
      {{"abbattimento, 30050, 10", "rallentamento, 30000, 60, 1000, 1, 1, 0"},
       18,
       30000,
       {577, 621},
       "start taken"},
      {{"abbattimento, 31050, 10", "rallentamento, 30000, 60, 1000, 1, 1, 0"},
       19,
       30000,
       {577, 601},
       "end taken"},
      {{"rallentamento, 30000, 60, 100000, 1, 1, 0"},
       111,
       30000,
       {577, 601},
       "the end lies beyond the grid"},
      {{"rallentamento, 2000, 60, -3000, 1, 1, 0"},
       111,
       2000,
       {17, 41},
       "the end lies before cell 0"},
      {{"rallentamento, -500, 60, 1000, 1, 1, 0"},
       111,
       -500,
       {11},
       "the start lies before cell 0"},
      {{"segnale, 28800, 1, 1,1,1, 0, 0, 0,0,0, 0",
        "rallentamento, 30000, 60, 100000, 1, 1, 0"},
       17,
       30000,
       {601},
       "a taken board comes before an end off the grid"},
      {{"rallentamento, 114901, 60, 100, 1, 1, 0"},
       15,
       114901,
       {2299, 2275},
       "beyond the grid: the position check"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    train_fixture f;
    std::string text = "[generale]\r\n";
    for (const std::string& row : c.rows) text += row + "\r\n";
    f.read(text + "sabbia, 5\r\n[fine]\r\n");
    EXPECT_EQ(f.ctx.error_code, c.code);
    EXPECT_EQ(f.ctx.error_position, c.position);
    EXPECT_EQ(f.ctx.error_line, static_cast<std::int32_t>(c.rows.size()) + 1);
    EXPECT_EQ(f.slot(86).num_a, 0);
    EXPECT_FALSE(f.source_left());
    for (std::int64_t i : c.clear_cells) {
      EXPECT_EQ(f.cell(i).kind, kind_plain) << "cell " << i;
      EXPECT_EQ(f.cell(i).value1, 0) << "cell " << i;
    }
  }
}

TEST(slowdown_rows, code_markers) {
  struct {
    std::string row;
    std::int64_t cell;
    std::uint8_t kind;
    std::int16_t value1;
    const char* note;
  } cases[] = {
      {"abbattimento, 10000, 180", 200, kind_code_marker, 180,
       "cell 200, one before a signal's"},
      {"abbattimento, 10000, 0", 200, kind_zero_code_marker, 77,
       "a code of 0 or less leaves value1"},
      {"abbattimento, 10000, -4", 200, kind_zero_code_marker, 77,
       "negative code"},
      {"abbattimento, 10000, 70000", 200, kind_code_marker, 4464,
       "the low 16 bits of the code"},
      {"abbattimento, -25, 9", 0, kind_code_marker, 9, "-0.5 rounds to cell 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    train_fixture f;
    f.cell(c.cell).kind = kind_tunnel_marker;  // free for a marker
    f.cell(c.cell).value1 = 77;
    f.read(train_source({c.row}));
    EXPECT_EQ(f.ctx.error_code, 0);
    EXPECT_EQ(f.cell(c.cell).kind, c.kind);
    EXPECT_EQ(f.cell(c.cell).value1, c.value1);
    EXPECT_EQ(f.cell(c.cell + 1).kind, kind_plain);
  }
}

TEST(slowdown_rows, refused_code_markers) {
  struct {
    std::vector<std::string> rows;
    std::int32_t code;
    std::int32_t position;
    const char* note;
  } cases[] = {
      {{"segnale, 9950, 1, 1,1,1, 0, 0, 0,0,0, 0", "abbattimento, 10000, 180"},
       7,
       10000,
       "on a signal"},
      {{"abbattimento, 10000, 180", "abbattimento, 10010, 0"},
       7,
       10010,
       "on an earlier marker"},
      {{"abbattimento, -100, 180"}, 112, -100, "before cell 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    train_fixture f;
    std::string text = "[generale]\r\n";
    for (const std::string& row : c.rows) text += row + "\r\n";
    EXPECT_EQ(f.read(text + "sabbia, 5\r\n[fine]\r\n"), read_end::coded_error);
    EXPECT_EQ(f.ctx.error_code, c.code);
    EXPECT_EQ(f.ctx.error_position, c.position);
    EXPECT_EQ(f.slot(86).num_a, 0);
    EXPECT_FALSE(f.source_left());
    EXPECT_EQ(f.cell(0).kind, kind_plain);
  }
}

}  // namespace
