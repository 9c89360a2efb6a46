#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "test/train_fixture.h"

namespace {

struct signal_cell {
  std::int64_t cell;
  std::int16_t values[4];
  std::uint8_t timer;
  std::uint8_t marks[4];  // in cells k - 2, k - 4, k - 6, k - 8
};

void expect_signal(train_fixture& f, const signal_cell& s) {
  const track_cell& cell = f.cell(s.cell);
  EXPECT_EQ(cell.kind, kind_signal);
  EXPECT_EQ(cell.value1, s.values[0]);
  EXPECT_EQ(cell.value2, s.values[1]);
  EXPECT_EQ(cell.value3, s.values[2]);
  EXPECT_EQ(cell.value4, s.values[3]);
  EXPECT_EQ(cell.timer, s.timer);
  for (int b = 1; b <= 4; ++b)
    EXPECT_EQ(f.cell(s.cell - 2 * b).approach, s.marks[b - 1]) << "b " << b;
}

TEST(signal_rows, values_timer_and_marks) {
  struct {
    std::string row;
    signal_cell expected;
    const char* note;
  } cases[] = {
      {"segnale,    2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
       {41, {40, 0, 0, 6}, 0, {61, 62, 63, 64}},
       "first signal of the service"},
      {"segnale,   28700,   1, 4, 1,  0, 0,    1,  3,1,0, 0",
       {575, {43, 11, 0, 4}, 0, {41, 42, 43, 44}},
       "s group of type 1"},
      {"segnale,  105700,   2, 2, 3,  1, 0,    2,  2,1,1, 215",
       {2115, {22, 31, 11, 8}, 215, {81, 82, 83, 84}},
       "last signal, with a time"},
      {"segnale, 2000, 2, 0,0,0, 0, 0, 0,0,0, 50",
       {41, {0, 0, 0, 6}, 101, {61, 62, 63, 64}},
       "a time from 1 to 100 is raised to 101"},
      {"segnale, 2000, 2, 0,0,0, 0, 0, 0,0,0, 1",
       {41, {0, 0, 0, 6}, 101, {61, 62, 63, 64}},
       "the lowest time raised"},
      {"segnale, 2000, 2, 0,0,0, 0, 0, 0,0,0, 100",
       {41, {0, 0, 0, 6}, 101, {61, 62, 63, 64}},
       "the highest time raised"},
      {"segnale, 2000, 2, 0,0,0, 0, 0, 0,0,0, 101",
       {41, {0, 0, 0, 6}, 101, {61, 62, 63, 64}},
       "101 stays"},
      {"segnale, 2000, 2, 0,0,0, 0, 0, 0,0,0, 300",
       {41, {0, 0, 0, 6}, 44, {61, 62, 63, 64}},
       "the timer keeps the time modulo 256"},
      {"segnale, 2000, 2, 0,0,0, 0, 0, 0,0,0, -1",
       {41, {0, 0, 0, 6}, 255, {61, 62, 63, 64}},
       "a negative time is not raised"},
      {"segnale, 2000, 1, 0,0,0, 0, 0, 0,0,0, 215",
       {41, {0, 0, 0, 3}, 0, {31, 32, 33, 34}},
       "no timer unless the s group is of type 2"},
      {"segnale, 2000, 0, 4000,0,0, 3300, 9, 0,0,0, 0",
       {41, {-25536, 0, 0, -32527}, 0, {91, 92, 93, 94}},
       "values wrap modulo 65536: 40000 and 33009"},
      {"segnale, 2000, 9, 0,0,0, 0, 0, 0,0,0, 0",
       {41, {0, 0, 0, 27}, 0, {15, 16, 17, 18}},
       "marks wrap modulo 256: 271 to 274"},
      {"segnale, 325, 2, 4,0,0, 0, 0, 0,0,0, 0",
       {8, {40, 0, 0, 6}, 0, {61, 62, 63, 64}},
       "7.5 goes to cell 8, whose last mark is cell 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    train_fixture f;
    EXPECT_EQ(f.read(train_source({c.row})), read_end::finished);
    EXPECT_EQ(f.ctx.error_code, 0);
    expect_signal(f, c.expected);
    EXPECT_FALSE(f.source_left());
  }
}

// Near the line origin the signal is placed and keeps the marks that fall
// inside the grid; the others have no cell.
TEST(signal_rows, marks_before_cell_0_are_dropped) {
  train_fixture f;
  const std::int16_t before = f.cell(0).approach;
  f.read(train_source({"segnale, 300, 2, 4,0,0, 0, 1, 0,0,0, 0"}));
  EXPECT_EQ(f.ctx.error_code, 0);
  EXPECT_EQ(f.cell(7).kind, kind_signal);
  EXPECT_EQ(f.cell(7).value4, 7);
  EXPECT_EQ(f.cell(5).approach, 71);
  EXPECT_EQ(f.cell(3).approach, 72);
  EXPECT_EQ(f.cell(1).approach, 73);
  EXPECT_EQ(f.cell(0).approach, before);  // not a mark cell of this signal
}

TEST(signal_rows, marks_overwrite_and_kind_11_is_free) {
  train_fixture f;
  f.cell(41).kind = kind_tunnel_marker;
  f.cell(41).mountain = 12;
  f.read(train_source({
      "segnale, 2000, 2, 4,0,0, 0, 0, 0,0,0, 0",  // cell 41, marks 39 to 33
      "segnale, 1900, 1, 4,0,0, 0, 1, 0,0,0, 0",  // cell 39, marks 37 to 31
  }));
  EXPECT_EQ(f.ctx.error_code, 0);
  EXPECT_EQ(f.cell(41).kind, kind_signal);
  EXPECT_EQ(f.cell(41).mountain, 12);  // only the signal's fields change
  EXPECT_EQ(f.cell(39).kind, kind_signal);
  EXPECT_EQ(f.cell(39).approach, 61);  // a mark of the first stays
  EXPECT_EQ(f.cell(37).approach, 41);  // the row read last wins
  EXPECT_EQ(f.cell(31).approach, 44);
}

// Refused signals write nothing; the source is removed and the reading ends
// without the tails.
TEST(signal_rows, refused_signals) {
  struct {
    std::string second_row;
    std::int32_t code;
    std::int32_t position;
    std::int64_t untouched_cell;
    const char* note;
  } cases[] = {
      {"segnale, 2010, 1, 1,1,1, 1, 1, 1,1,1, 0", 16, 2010, 39,
       "a second signal in the same cell"},
      {"segnale, -1000, 1, 1,1,1, 1, 1, 1,1,1, 0", 110, -1000, 0,
       "a signal before the line origin"},
      {"segnale, 114901, 1, 1,1,1, 1, 1, 1,1,1, 0", 15, 114901, 2299,
       "beyond the grid"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    train_fixture f;
    const read_end end =
        f.read(train_source({"segnale, 2000, 2, 4,0,0, 0, 0, 0,0,0, 0",
                             c.second_row, "sabbia, 5"}));
    EXPECT_EQ(f.ctx.error_code, c.code);
    EXPECT_EQ(f.ctx.error_position, c.position);
    EXPECT_EQ(f.ctx.error_line, 3);
    EXPECT_FALSE(f.source_left());
    EXPECT_EQ(f.slot(86).num_a, 0);
    expect_signal(f, {41, {40, 0, 0, 6}, 0, {61, 62, 63, 64}});
    EXPECT_EQ(f.cell(c.untouched_cell).kind, kind_plain);
    EXPECT_EQ(f.cell(c.untouched_cell).approach,
              c.untouched_cell == 39 ? 61 : 0);
    // Code 15 still runs the tails; the signal's own codes do not.
    EXPECT_EQ(end, c.code == 15 ? read_end::finished : read_end::coded_error);
    EXPECT_EQ(f.cell(100).adhesion, c.code == 15 ? 0 : untouched_byte);
  }
}

// A taken signal cell is reported as such even where the marks would also
// fall before cell 0.
TEST(signal_rows, taken_cell_comes_before_marks_below_cell_0) {
  train_fixture f;
  f.cell(7).kind = kind_text_board;
  f.read(train_source({"segnale, 300, 1, 1,1,1, 1, 1, 1,1,1, 0"}));
  EXPECT_EQ(f.ctx.error_code, 16);
  EXPECT_EQ(f.cell(7).kind, kind_text_board);
}

// A code left in the slot by the line source (15 lets the train source be
// read) ends the reading at the first signal, which is placed first; the
// position becomes the signal's.
TEST(signal_rows, earlier_code_in_the_slot_ends_the_reading) {
  train_fixture f;
  f.ctx.error_code = 15;
  f.ctx.error_position = 999999;
  f.ctx.error_where = error_source::line_source;
  EXPECT_EQ(f.read(train_source({"velocita, 0, 50",
                                 "segnale, 2000, 2, 4,0,0, 0, 0, 0,0,0, 0",
                                 "sabbia, 5"})),
            read_end::coded_error);
  EXPECT_EQ(f.ctx.error_code, 15);
  EXPECT_EQ(f.ctx.error_position, 2000);
  EXPECT_EQ(f.ctx.error_where, error_source::line_source);
  EXPECT_EQ(f.cell(41).kind, kind_signal);
  EXPECT_EQ(f.slot(86).num_a, 0);
  EXPECT_EQ(f.cell(0).speed_limit, untouched_byte);  // no tails
  EXPECT_FALSE(f.source_left());
}

}  // namespace
