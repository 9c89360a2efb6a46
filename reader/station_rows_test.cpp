#include "reader/station_rows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "test/train_fixture.h"

namespace {

// A station row with fields 4 to 13 (opt_a, opt_e, opt_d, num_a, num_b,
// opt_b, num_c, num_d, num_e, opt_c) and the time given as text.
std::string station(std::int32_t at_m, int kind, std::int32_t length_m,
                    const std::string& fields = "0,0,0, 0,0,0, 0,0,0, 0",
                    const std::string& time = "0,0,0") {
  return "stazione, " + std::to_string(at_m) + ", " + std::to_string(kind) +
         ", " + std::to_string(length_m) + ", " + fields + ", " + time +
         ", Stazione " + std::to_string(at_m);
}

const std::string first_station =
    "stazione,     200,  2,  800,  1, 1, 0,  4,1,0,  2,1,1,    1,  18,44, 0, "
    "Cendra Centrale";

TEST(station_rows, first_station_of_the_service) {
  train_fixture f;
  EXPECT_EQ(f.read(train_source({first_station})), read_end::finished);
  EXPECT_EQ(f.ctx.error_code, 0);
  const line_record& s = f.slot(1);
  EXPECT_EQ(s.at_m, 200);
  EXPECT_EQ(s.kind, 2);
  EXPECT_EQ(s.from_m, -200);
  EXPECT_EQ(s.to_m, 600);
  EXPECT_EQ(s.opt_a, 1);
  EXPECT_EQ(s.opt_e, 0);  // cleared in slot 1
  EXPECT_EQ(s.opt_d, 0);
  EXPECT_EQ(s.num_a, 4);
  EXPECT_EQ(s.num_b, 1);
  EXPECT_EQ(s.opt_b, 0);
  EXPECT_EQ(s.num_c, 2);
  EXPECT_EQ(s.num_d, 1);
  EXPECT_EQ(s.num_e, 1);
  EXPECT_EQ(s.opt_c, 1);
  EXPECT_EQ(s.time_s, 67440);
  EXPECT_EQ(s.label, "Cendra Centrale");
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(f.cell(11 - k).approach, 80 + k);
  EXPECT_EQ(f.cell(6).approach, 0);
  EXPECT_EQ(f.cell(11).kind, kind_station_marker);
  EXPECT_EQ(f.cell(11).value1, 1);
  EXPECT_TRUE(f.slot(2).label.empty());
  EXPECT_FALSE(f.source_left());
}

// Stations read after the first one, into slot 2.
TEST(station_rows, extents_options_and_cells) {
  struct {
    std::string row;
    std::uint8_t kind;
    std::int32_t from_m, to_m;
    std::uint8_t opt_d, opt_e;
    std::int32_t time_s;
    std::int64_t marker;  // -1: no marker
    bool marks;           // approach marks in the four cells below it
    const char* note;
  } cases[] = {
      {"stazione,   20000, 12,  600,  0, 1, 0,  1,1,0,  4,1,1,   60,  19, 2, "
       "0, Lugo",
       12, 19700, 20300, 0, 1, 68520, 405, true,
       "a general kind keeps opt_e from 600 m"},
      {"stazione,  107000,  6,  800,  1, 1, 0,  1,1,0,  2,1,1,    0,  20, 2, "
       "0, Gelsio",
       6, 106200, 107150, 0, 1, 72120, 2142, false,
       "a terminal ends 150 m on and has no approach marks"},
      {station(11700, 26, 200), 26, 11600, 11800, 0, 0, 0, -1, false,
       "kind 26: timetable only"},
      {station(40000, 12, 500, "0,1,1, 0,0,0, 0,0,0, 0"), 12, 39750, 40300, 1,
       0, 0, 805, true, "opt_d adds 50 m; opt_e is cleared below 600 m"},
      {station(5000, 7, 400, "0,0,1, 0,0,0, 0,0,0, 0"), 7, 4600, 5400, 0, 0, 0,
       107, true, "kinds 7 and 8 reach the length on both sides"},
      {station(5000, 5, 400, "0,0,1, 0,0,0, 0,0,0, 0"), 5, 4600, 5150, 0, 0, 0,
       102, false, "kind 5 is a terminal too"},
      {station(5000, 255, 400), 255, 4800, 5200, 0, 0, 0, -1, false,
       "the kind is an unsigned byte: 255 is above 25"},
      {station(5000, 24, 400), 24, 4800, 5200, 0, 0, 0, 103, true,
       "24 is the last kind on the track"},
      {station(114200, 12, 600), 12, 113900, 114500, 0, 0, 0, 2289, true,
       "the last position that passes the 800 m margin"},
      {station(12350, 26, 100, "0,0,0, 0,0,0, 0,0,0, 0", "25, -1, 3"), 26,
       12300, 12400, 0, 0, 89943, -1, false,
       "a multiple of 50 is enough; the time is not validated"},
      {station(2000, 12, 100, "0,0,0, 0,0,0, 0,0,0, 0", "600000, 0, 0"), 12,
       1950, 2050, 0, 0, -2134967296, 40, true,
       "the time wraps like 32-bit arithmetic: 2,160,000,000 - 2^32"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    train_fixture f;
    EXPECT_EQ(f.read(train_source({station(0, 26, 0), c.row})),
              read_end::finished);
    EXPECT_EQ(f.ctx.error_code, 0);
    const line_record& s = f.slot(2);
    EXPECT_EQ(s.kind, c.kind);
    EXPECT_EQ(s.from_m, c.from_m);
    EXPECT_EQ(s.to_m, c.to_m);
    EXPECT_EQ(s.opt_d, c.opt_d);
    EXPECT_EQ(s.opt_e, c.opt_e);
    EXPECT_EQ(s.time_s, c.time_s);
    const std::int64_t d = c.to_m / 50;
    EXPECT_EQ(f.cell(d - 1).kind,
              c.marker >= 0 ? kind_station_marker : kind_plain);
    if (c.marker >= 0) {
      EXPECT_EQ(d - 1, c.marker);
      EXPECT_EQ(f.cell(c.marker).value1, 2);
    }
    for (int k = 1; k <= 4; ++k)
      EXPECT_EQ(f.cell(d - 1 - k).approach, c.marks ? 80 + k : 0) << k;
  }
}

TEST(station_rows, first_station_clears_opt_d_after_the_extent) {
  train_fixture f;
  f.read(train_source({station(2000, 12, 600, "0,1,1, 0,0,0, 0,0,0, 0")}));
  EXPECT_EQ(f.slot(1).to_m, 2350);
  EXPECT_EQ(f.slot(1).opt_d, 0);
  EXPECT_EQ(f.slot(1).opt_e, 0);
}

// What a refused station leaves: the fields read before the check, and for
// the late codes its cells.
TEST(station_rows, refused_stations) {
  struct {
    std::string row;  // read as the second station
    std::int32_t code;
    std::int32_t position;  // 5 = left as it was
    std::int32_t at_m;
    std::uint8_t kind;
    bool record_complete;
    std::int64_t marker;  // cell holding the marker, or -1
    const char* note;
  } cases[] = {
      {station(114250, 12, 600), 15, 114250, 114250, 0, false, -1,
       "beyond the 800 m margin"},
      {station(12320, 12, 600), 8, 12320, 12320, 0, false, -1,
       "a position off the 50 m cells"},
      {station(12349, 12, 600), 8, 12349, 12349, 0, false, -1, "349"},
      {station(12350, 12, 450), 9, 12350, 12350, 12, false, -1,
       "a length off the 100 m steps"},
      {station(1000, 12, 200), 22, 1000, 1000, 12, true, 21,
       "300 m after the station before"},
      {station(114200, 12, 2000), 113, 114200, 114200, 12, true, -1,
       "the marker would lie beyond cell N"},
      {station(100000, 7, 16000), 113, 100000, 100000, 7, true, -1,
       "kinds 7 and 8 reach the full length"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    train_fixture f;
    f.ctx.error_position = 5;
    f.read(train_source({first_station, c.row, "sabbia, 5"}));
    EXPECT_EQ(f.ctx.error_code, c.code);
    EXPECT_EQ(f.ctx.error_position, c.position);
    EXPECT_EQ(f.ctx.error_line, 3);
    EXPECT_FALSE(f.source_left());
    EXPECT_EQ(f.slot(86).num_a, 0);
    const line_record& s = f.slot(2);
    EXPECT_EQ(s.at_m, c.at_m);
    EXPECT_EQ(s.kind, c.kind);
    EXPECT_EQ(s.label.empty(), !c.record_complete);
    if (c.marker >= 0) {
      EXPECT_EQ(f.cell(c.marker).kind, kind_station_marker);
      EXPECT_EQ(f.cell(c.marker).value1, 2);
    }
    // Nothing is written outside the grid, nor its last cells.
    for (std::int64_t i = 2290; i <= 2300; ++i) {
      EXPECT_EQ(f.cell(i).kind, kind_plain) << i;
      EXPECT_EQ(f.cell(i).approach, 0) << i;
    }
  }
}

TEST(station_rows, spacing_from_the_previous_platform) {
  struct {
    std::int32_t previous_to_m;
    std::int32_t code;
  } cases[] = {{601, 22}, {600, 0}};  // 349 m and 350 m apart
  for (const auto& c : cases) {
    SCOPED_TRACE(c.previous_to_m);
    train_fixture f;
    f.slot(1).to_m = c.previous_to_m;
    // The row from the field after its keyword: from_m = 1000 - 50 = 950.
    const std::string row =
        "1000, 26, 100, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, S\r\n";
    train_reading reading;
    reading.cur = make_cursor(row);
    reading.station_slot = 2;
    EXPECT_EQ(read_station_row(f.ctx, reading),
              c.code == 0 ? row_result::next : row_result::coded_error);
    EXPECT_EQ(f.ctx.error_code, c.code);
    EXPECT_EQ(f.slot(2).from_m, 950);
  }
}

TEST(station_rows, marker_cell_1_or_below_is_24) {
  train_fixture f;
  f.ctx.error_position = 5;
  // to_m 100: D - 1 = 1.
  f.read(train_source({station(50, 2, 100), "sabbia, 5"}));
  EXPECT_EQ(f.ctx.error_code, 24);
  EXPECT_EQ(f.ctx.error_position, 5);
  EXPECT_EQ(f.slot(1).to_m, 100);
  EXPECT_FALSE(f.slot(1).label.empty());
  EXPECT_EQ(f.cell(1).kind, kind_plain);
  EXPECT_EQ(f.cell(0).approach, 0);
  EXPECT_EQ(f.slot(86).num_a, 0);

  train_fixture ok;  // to_m 150: the marker goes to cell 2, with no marks
  ok.read(train_source({station(100, 2, 100)}));
  EXPECT_EQ(ok.ctx.error_code, 0);
  EXPECT_EQ(ok.cell(2).kind, kind_station_marker);
  EXPECT_EQ(ok.cell(1).approach, 0);
}

TEST(station_rows, markers_and_signals_on_one_cell) {
  train_fixture f;
  f.read(train_source(
      {"segnale, 20200, 1, 1,1,1, 1, 1, 1,1,1, 0", station(20000, 12, 600)}));
  EXPECT_EQ(f.ctx.error_code, 0);
  EXPECT_EQ(f.cell(405).kind, kind_station_marker);
  EXPECT_EQ(f.cell(405).value1, 1);
  EXPECT_EQ(f.cell(405).value2, 11);  // the signal's other values stay

  train_fixture later;
  later.read(train_source(
      {station(20000, 12, 600), "segnale, 20200, 1, 1,1,1, 1, 1, 1,1,1, 0"}));
  EXPECT_EQ(later.ctx.error_code, 16);
  EXPECT_EQ(later.ctx.error_position, 20200);
}

std::string stations(int count) {
  std::string text = "[generale]\r\n";
  for (int i = 1; i <= count; ++i) text += station(1000 * i, 26, 100) + "\r\n";
  return text + "sabbia, 5\r\n[fine]\r\n";
}

TEST(station_rows, stations_stop_below_the_board_texts) {
  train_fixture full;
  full.read(stations(78));
  EXPECT_EQ(full.ctx.error_code, 0);
  EXPECT_EQ(full.slot(78).at_m, 78000);

  train_fixture over;
  over.ctx.error_position = 5;
  EXPECT_EQ(over.read(stations(79)), read_end::coded_error);
  EXPECT_EQ(over.ctx.error_code, 10);
  EXPECT_EQ(over.ctx.error_position, 5);
  EXPECT_EQ(over.slot(79).at_m, 79000);  // written before the count
  EXPECT_EQ(over.slot(86).num_a, 0);
  EXPECT_FALSE(over.source_left());

  // Three boards: slots 78 to 80 hold texts, 75 stations fit.
  train_fixture boards;
  boards.ctx.board_slot = 77;
  boards.read(stations(76));
  EXPECT_EQ(boards.ctx.error_code, 10);
  EXPECT_EQ(boards.slot(76).at_m, 76000);
}

// With every slot from 1 to 80 holding a board text, not even one station
// fits: it is refused before it writes into slot 1, so no text is lost and no
// cell points at a station.
TEST(station_rows, no_room_at_all_keeps_the_board_texts) {
  struct {
    std::int32_t board_slot;
    std::int32_t first_text_slot;
  } cases[] = {{0, 1}, {1, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.board_slot);
    train_fixture f;
    f.ctx.board_slot = c.board_slot;
    for (int slot = c.first_text_slot; slot <= 80; ++slot)
      f.slot(slot).label = "(TESTO " + std::to_string(slot) + ")";
    f.ctx.error_position = 5;
    EXPECT_EQ(f.read(train_source({first_station})), read_end::coded_error);
    EXPECT_EQ(f.ctx.error_code, 10);
    EXPECT_EQ(f.ctx.error_position, 5);
    EXPECT_FALSE(f.source_left());
    for (int slot = c.first_text_slot; slot <= 80; ++slot) {
      EXPECT_EQ(f.slot(slot).label, "(TESTO " + std::to_string(slot) + ")");
      EXPECT_EQ(f.slot(slot).at_m, 0);
    }
    // With slot 1 free the station is written there, then the count stops
    // the reading; with no free slot nothing of it is written.
    const bool written = c.first_text_slot == 2;
    EXPECT_EQ(f.slot(1).at_m, written ? 200 : 0);
    EXPECT_EQ(f.cell(11).kind, written ? kind_station_marker : kind_plain);
  }
}

}  // namespace
