#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "reader/source_files.h"
#include "scenario/write_document.h"
#include "test/train_fixture.h"

namespace {

TEST(train_reader, general_rows_go_to_slots_84_and_86) {
  train_fixture f;
  EXPECT_EQ(f.read(train_source({
                "numero vetture,    7",
                "percentuale massa frenata,    100",
                "sabbia,    3",
                "orologio,    18              43            30 ",
            })),
            read_end::finished);
  EXPECT_EQ(f.ctx.error_code, 0);
  EXPECT_EQ(f.slot(84).from_m, 100);
  EXPECT_EQ(f.slot(84).at_m, 7);
  EXPECT_EQ(f.slot(86).num_a, 3);
  EXPECT_EQ(f.slot(86).num_c, 18);
  EXPECT_EQ(f.slot(86).num_d, 43);
  EXPECT_EQ(f.slot(86).num_e, 30);
  EXPECT_EQ(f.slot(86).label, f.ctx.train_name);
  EXPECT_FALSE(f.source_left());
}

// Which tokens start rows. Each case reads a source and looks at the speed
// limit of cell 1 and the adhesion of cell 1 after the tails: a row that is
// read sets the previous value the tail then runs on with.
TEST(train_reader, tokens_that_start_rows) {
  struct {
    std::string text;
    std::uint8_t speed;     // cell 1 speed limit
    std::uint8_t adhesion;  // cell 1 adhesion
    std::int32_t braked_mass;
    const char* note;
  } cases[] = {
      {"velocita, 0, 50\r\n[generale]\r\n[fine]\r\n", 0, 0, 0,
       "a keyword before [generale] is never examined"},
      {"velocita, 0, 50\r\naderenza, 0, 70\r\n[fine]\r\n", 0, 0, 0,
       "without [generale] nothing is read, and no error"},
      {train_source({"VELOCITA, 0, 50"}), 10, 0, 0, "case is ignored"},
      {train_source({"x velocita limite, 0, 50"}), 10, 0, 0,
       "the keyword may stand anywhere in the token"},
      {train_source({"velocita aderenza, 0, 50, 0, 70"}), 10, 70, 0,
       "two keywords: speed first, then adhesion, each its own fields"},
      {train_source({"aderenza velocita, 0, 70, 0, 50"}), 14, 50, 0,
       "the table order counts, not the order in the token"},
      {train_source({"massa, 55", "frenata, 66"}), 0, 0, 0,
       "the braked mass needs both words"},
      {train_source({"FRENATA della MASSA, 80"}), 0, 0, 80,
       "both words in any order"},
      {train_source({"-a-, -b-, -c velocita-, 0, 50"}), 10, 0, 0,
       "only two comments are skipped: the third token is examined"},
      {train_source({"-a-, -b velocita-, 0, 50"}), 0, 0, 0,
       "a skipped comment is not examined, and its numbers are tokens"},
      {train_source({"[stazioni]", "velocita, 0, 50", "[segnali]"}), 10, 0, 0,
       "section headers are passed over; rows stand in any section"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    train_fixture f;
    EXPECT_EQ(f.read(c.text), read_end::finished);
    EXPECT_EQ(f.ctx.error_code, 0);
    EXPECT_EQ(f.cell(1).speed_limit, c.speed);
    EXPECT_EQ(f.cell(1).adhesion, c.adhesion);
    EXPECT_EQ(f.slot(84).from_m, c.braked_mass);
    EXPECT_FALSE(f.source_left());
  }
}

// The end of the file is tested before a token is examined, between comment
// skips too; only a row that runs out of fields fails.
TEST(train_reader, end_of_file_inside_and_after_rows) {
  struct {
    std::string text;
    std::int32_t code;
    const char* note;
  } cases[] = {
      {"[generale]\r\nvelocita", 0, "the last field is never examined"},
      {"[generale]\r\n-x-, velocita\r\n", 0,
       "a comment skip that reaches the end ends the loop"},
      {"[generale]\r\nvelocita, 1700\r\n", 25, "a row cut short"},
      {"[generale]\r\norologio, 18, 99999, 30\r\n[fine]\r\n", 25,
       "a clock value beyond 16 bits"},
      {"[generale]\r\nsabbia, 40000\r\n[fine]\r\n", 25, "sand beyond 16 bits"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    train_fixture f;
    f.write(line_source_name(f.ctx), "still here");
    f.ctx.error_position = 4321;
    f.read(c.text);
    EXPECT_EQ(f.ctx.error_code, c.code);
    EXPECT_EQ(f.ctx.error_position, 4321);
    EXPECT_FALSE(f.source_left());
    // The reading failure removes both sources.
    EXPECT_EQ(f.contains(line_source_name(f.ctx)), c.code != 25);
  }
}

TEST(train_reader, missing_or_unreadable_source_is_25) {
  train_fixture missing;
  missing.write(line_source_name(missing.ctx), "x");
  EXPECT_EQ(read_train_source(missing.ctx), read_end::reading_failure);
  EXPECT_EQ(missing.ctx.error_code, 25);
  EXPECT_FALSE(missing.contains(line_source_name(missing.ctx)));

  train_fixture unreadable;
  unreadable.ctx.files.fail_read = train_source_name(unreadable.ctx);
  EXPECT_EQ(unreadable.read(train_source({})), read_end::reading_failure);
  EXPECT_EQ(unreadable.ctx.error_code, 25);
  EXPECT_FALSE(unreadable.source_left());
}

// A source that cannot be removed would be read again by the next run as if
// it were new: that is a failure, never a clean end.
TEST(train_reader, source_that_cannot_be_removed_is_25) {
  train_fixture f;
  f.ctx.files.fail_remove = train_source_name(f.ctx);
  EXPECT_EQ(f.read(train_source({"sabbia, 1"})), read_end::reading_failure);
  EXPECT_EQ(f.ctx.error_code, 25);
  EXPECT_NE(f.ctx.error_detail.find(train_source_name(f.ctx)),
            std::string::npos);
}

TEST(train_reader, speed_limits_close_the_stretch_before_them) {
  train_fixture f;
  f.read(train_source({"velocita,   0,    30", "velocita,    1700,    75"}));
  EXPECT_EQ(f.ctx.error_code, 0);
  for (std::int64_t i = 0; i <= 2300; ++i) {
    std::uint8_t expected = i <= 33 ? 6 : i <= 2297 ? 15 : untouched_byte;
    ASSERT_EQ(f.cell(i).speed_limit, expected) << "cell " << i;
  }
}

TEST(train_reader, speed_fill_rules) {
  struct {
    std::vector<std::string> rows;
    std::int32_t last_index;
    std::vector<std::uint8_t> expected;  // speed limit of cells 0, 1, ...
    const char* note;
  } cases[] = {
      {{},
       8,
       {0, 0, 0, 0, 0, 0, untouched_byte, untouched_byte, untouched_byte},
       "no row: the tail writes 0 up to N - 3"},
      {{"velocita, 200, 50", "velocita, 100, 80"},
       8,
       {0, 0, 0, 0, 10, 16, untouched_byte},
       "a row not beyond the fill writes one cell with the earlier speed"},
      {{"velocita, -500, 50"},
       8,
       {10, 10, 10, 10, 10, 10, untouched_byte},
       "a negative position fills nothing"},
      {{"velocita, 0, 20", "velocita, 300, 50", "velocita, 300, 50",
        "velocita, 300, 50", "velocita, 300, 50", "velocita, 300, 50"},
       8,
       {4, 4, 4, 4, 4, 4, 10, 10, 10},
       "rows stop at N; the tail writes the cell its fill stands on"},
      {{"velocita, 0, 1277", "velocita, 50, 0"},
       8,
       {255, 0},
       "1277 km/h is 255.4 units, kept as 255"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    train_fixture f(c.last_index);
    std::string text = "[generale]\r\n";
    for (const std::string& row : c.rows) text += row + "\r\n";
    f.read(text + "[fine]\r\n");
    EXPECT_EQ(f.ctx.error_code, 0);
    for (std::size_t i = 0; i < c.expected.size(); ++i)
      EXPECT_EQ(f.cell(static_cast<std::int64_t>(i)).speed_limit, c.expected[i])
          << "cell " << i;
  }
}

TEST(train_reader, speed_beyond_a_byte_is_a_reading_failure) {
  train_fixture f;
  f.ctx.error_position = 77;
  EXPECT_EQ(f.read(train_source({"velocita, 0, 1278", "velocita, 500, 50"})),
            read_end::reading_failure);
  EXPECT_EQ(f.ctx.error_code, 25);
  EXPECT_EQ(f.ctx.error_position, 77);
  EXPECT_FALSE(f.source_left());

  // The last speed is converted by the tail.
  train_fixture tail;
  tail.read(train_source({"velocita, 0, 1300"}));
  EXPECT_EQ(tail.ctx.error_code, 25);
}

TEST(train_reader, adhesion_fill_and_tail) {
  train_fixture f;
  f.read(train_source({"aderenza,   0,    100"}));
  for (std::int64_t i = 0; i <= 2300; ++i)
    ASSERT_EQ(f.cell(i).adhesion, i <= 2297 ? 100 : untouched_byte)
        << "cell " << i;

  train_fixture wraps;
  wraps.read(train_source({"aderenza, 0, 300", "aderenza, 100, -1"}));
  EXPECT_EQ(wraps.cell(1).adhesion, 44);  // 300 modulo 256
  EXPECT_EQ(wraps.cell(2).adhesion, 255);
}

// Each adhesion row moves the fill on by at least one cell; rows at one place
// must not push it past the end of the grid.
TEST(train_reader, adhesion_fill_never_passes_cell_n) {
  train_fixture f(8);
  std::string text = "[generale]\r\n";
  for (int i = 0; i < 20; ++i)
    text += "aderenza, 300, " + std::to_string(i) + "\r\n";
  f.read(text + "[fine]\r\n");
  EXPECT_EQ(f.ctx.error_code, 0);
  // The first row fills cells 0 to 5 with 0, each later row one cell with the
  // value of the row before it, up to cell N.
  EXPECT_EQ(f.cell(5).adhesion, 0);
  EXPECT_EQ(f.cell(6).adhesion, 0);
  EXPECT_EQ(f.cell(7).adhesion, 1);
  EXPECT_EQ(f.cell(8).adhesion, 2);
}

TEST(train_reader, position_beyond_the_grid_still_runs_the_tails) {
  train_fixture ok;
  ok.read(train_source({"velocita, 114900, 50"}));
  EXPECT_EQ(ok.ctx.error_code, 0);

  train_fixture f;
  EXPECT_EQ(f.read(train_source({"velocita, 0, 50", "aderenza, 0, 90",
                                 "velocita, 114901, 50", "sabbia, 9"})),
            read_end::finished);
  EXPECT_EQ(f.ctx.error_code, 15);
  EXPECT_EQ(f.ctx.error_position, 114901);
  EXPECT_EQ(f.ctx.error_where, error_source::train_source);
  EXPECT_EQ(f.ctx.error_line, 4);
  EXPECT_EQ(f.slot(86).num_a, 0);  // rows after it are not read
  EXPECT_EQ(f.cell(2297).speed_limit, 10);
  EXPECT_EQ(f.cell(2297).adhesion, 90);
  EXPECT_FALSE(f.source_left());
}

TEST(train_reader, kilometre_reference_off_the_cells_is_2) {
  struct {
    std::int32_t slot;
    std::int32_t from_m;
    std::int32_t to_m;
    std::int32_t code;
  } cases[] = {
      {81, 1000, 2050, 0},
      {81, 1025, 2050, 2},
      {82, 0, 2049, 2},
      {83, -75, 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.slot);
    train_fixture f;
    f.slot(c.slot).from_m = c.from_m;
    f.slot(c.slot).to_m = c.to_m;
    f.ctx.error_position = 5;
    f.read(train_source({}));
    EXPECT_EQ(f.ctx.error_code, c.code);
    EXPECT_EQ(f.ctx.error_position, 5);
  }

  // It replaces an earlier 15 and keeps that position.
  train_fixture f;
  f.slot(82).to_m = 10;
  f.read(train_source({"aderenza, 200000, 1"}));
  EXPECT_EQ(f.ctx.error_code, 2);
  EXPECT_EQ(f.ctx.error_position, 200000);
}

// A line source without a length row leaves no grid. Only rows far before
// the line origin pass the position check then, and each is refused before
// it touches a cell.
TEST(train_reader, rows_without_a_grid_write_nothing) {
  struct {
    std::string row;
    std::int32_t code;
  } cases[] = {
      {"velocita, -1000, 50", 0},
      {"aderenza, -1000, 50", 0},
      {"segnale, -1000, 1, 1,1,1, 1, 1, 1,1,1, 0", 110},
      {"rallentamento, -1000, 60, 100, 1, 1, 0", 111},
      {"abbattimento, -1000, 9", 112},
      {"stazione, -1000, 7, 100000, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, S", 113},
      {"stazione, -1000, 26, 100000, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, S", 0},
      {"velocita, 0, 50", 15},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    train_fixture f;
    f.ctx.grid = track_grid{};
    f.read(train_source({c.row}));
    EXPECT_EQ(f.ctx.error_code, c.code);
    EXPECT_FALSE(f.ctx.grid.allocated());
    EXPECT_FALSE(f.source_left());
  }
}

// The service as the program writes it, read back on the grid of its line.
TEST(train_reader, embedded_service_reads_back) {
  train_fixture f;
  ASSERT_TRUE(dati_treno(f.ctx).ok());
  ASSERT_TRUE(f.source_left());
  EXPECT_EQ(read_train_source(f.ctx), read_end::finished);
  EXPECT_EQ(f.ctx.error_code, 0);
  EXPECT_FALSE(f.source_left());

  EXPECT_EQ(f.slot(84).from_m, 100);
  EXPECT_EQ(f.slot(84).at_m, 7);
  EXPECT_EQ(f.slot(86).num_a, 0);
  EXPECT_EQ(f.slot(86).num_c, 18);
  EXPECT_EQ(f.slot(86).num_d, 43);
  EXPECT_EQ(f.slot(86).num_e, 30);

  for (std::int64_t i = 0; i <= 33; ++i)
    ASSERT_EQ(f.cell(i).speed_limit, 6) << "cell " << i;
  EXPECT_EQ(f.cell(34).speed_limit, 15);
  for (std::int64_t i = 0; i <= 2297; ++i)
    ASSERT_EQ(f.cell(i).adhesion, 100) << "cell " << i;
  EXPECT_EQ(f.cell(2298).adhesion, untouched_byte);

  struct {
    std::int64_t cell;
    std::int16_t values[4];
    std::uint8_t timer;
    std::uint8_t marks[4];  // in cells k - 2, k - 4, k - 6, k - 8
  } signals[] = {
      {41, {40, 0, 0, 6}, 0, {61, 62, 63, 64}},
      {575, {43, 11, 0, 4}, 0, {41, 42, 43, 44}},
      {2115, {22, 31, 11, 8}, 215, {81, 82, 83, 84}},
  };
  for (const auto& s : signals) {
    SCOPED_TRACE(s.cell);
    const track_cell& cell = f.cell(s.cell);
    EXPECT_EQ(cell.kind, kind_signal);
    EXPECT_EQ(cell.value1, s.values[0]);
    EXPECT_EQ(cell.value2, s.values[1]);
    EXPECT_EQ(cell.value3, s.values[2]);
    EXPECT_EQ(cell.value4, s.values[3]);
    EXPECT_EQ(cell.timer, s.timer);
    for (int b = 1; b <= 4; ++b)
      EXPECT_EQ(f.cell(s.cell - 2 * b).approach, s.marks[b - 1]);
  }

  const line_record& first = f.slot(1);
  EXPECT_EQ(first.from_m, -200);
  EXPECT_EQ(first.to_m, 600);
  EXPECT_EQ(first.opt_e, 0);
  EXPECT_EQ(first.time_s, 67440);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(f.cell(11 - k).approach, 80 + k);
  EXPECT_EQ(f.cell(11).kind, kind_station_marker);
  EXPECT_EQ(f.cell(11).value1, 1);

  const line_record& third = f.slot(3);
  EXPECT_EQ(third.at_m, 20000);
  EXPECT_EQ(third.kind, 12);
  EXPECT_EQ(third.time_s, 68520);
  EXPECT_EQ(third.opt_e, 1);
  EXPECT_EQ(f.cell(405).kind, kind_station_marker);
  EXPECT_EQ(f.cell(405).value1, 3);

  const line_record& last = f.slot(23);
  EXPECT_EQ(last.from_m, 106200);
  EXPECT_EQ(last.to_m, 107150);
  EXPECT_EQ(f.cell(2142).kind, kind_station_marker);
  EXPECT_EQ(f.cell(2142).value1, 23);
  for (std::int64_t i = 2138; i <= 2141; ++i)
    EXPECT_EQ(f.cell(i).approach, 0) << "cell " << i;
  EXPECT_TRUE(f.slot(24).label.empty());
}

}  // namespace
