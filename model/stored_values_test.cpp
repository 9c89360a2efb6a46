#include "model/stored_values.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/memory_disk.h"
#include "reader/field_reader.h"
#include "run/run_sequence.h"
#include "test/line_fixture.h"
#include "test/long_line.h"
#include "test/run_fixture.h"
#include "test/temp_dir.h"
#include "test/train_fixture.h"

namespace {

// ---------------------------------------------------------------------------
// Each encoding and its inverse.

TEST(stored_values, speed_units_round_trip) {
  for (int u = 0; u <= 255; ++u) {
    const auto units = static_cast<std::uint8_t>(u);
    std::uint8_t again = 0;
    ASSERT_TRUE(encode_speed_units(decode_speed_units(units), again)) << u;
    EXPECT_EQ(again, units);
  }
  const struct {
    std::int32_t kmh;
    bool fits;
    std::uint8_t units;
    const char* note;
  } cases[] = {
      {75, true, 15, "a multiple of 5"},
      {72, true, 14, "to the nearest step below"},
      {73, true, 15, "to the nearest step above"},
      {1277, true, 255, "the largest that fits"},
      {1278, false, 0, "255.6 does not fit the byte"},
      {-2, true, 0, "-0.4 is still 0"},
      {-3, false, 0, "-0.6 does not fit"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    std::uint8_t units = 0;
    EXPECT_EQ(encode_speed_units(c.kmh, units), c.fits);
    if (c.fits) {
      EXPECT_EQ(units, c.units);
    }
  }
}

TEST(stored_values, gradient_round_trip) {
  for (std::int32_t g = -100; g <= 155; ++g)
    EXPECT_EQ(decode_gradient(encode_gradient(g)), g);
  for (int b = 0; b <= 255; ++b) {
    const auto stored = static_cast<std::uint8_t>(b);
    EXPECT_EQ(encode_gradient(decode_gradient(stored)), stored);
  }
  EXPECT_EQ(encode_gradient(0), 100);     // level
  EXPECT_EQ(encode_gradient(30), 130);    // uphill
  EXPECT_EQ(encode_gradient(-30), 70);    // downhill
  EXPECT_EQ(encode_gradient(160), 4);     // wraps above 155
  EXPECT_EQ(encode_gradient(-101), 255);  // and below -100
  EXPECT_EQ(decode_gradient(gradient_not_filled), -100);
}

TEST(stored_values, signal_round_trip) {
  const struct {
    signal_parts parts;
    std::int16_t values[4];
    const char* note;
  } cases[] = {
      {{4, 0, 0, 0, 0, 0, 0, 2, 0}, {40, 0, 0, 6}, "the first embedded signal"},
      {{2, 2, 3, 1, 1, 1, 0, 2, 2}, {22, 31, 11, 8}, "every group in use"},
      {{9, 9, 0, 9, 99, 0, 7, 3, 0}, {99, 9, 990, 79}, "the largest digits"},
      {{3276, 7, 0, 0, 0, 0, 3276, 2, 1}, {32767, 0, 0, 32767}, "the largest"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    track_cell cell;
    pack_signal(c.parts, cell);
    EXPECT_EQ(cell.value1, c.values[0]);
    EXPECT_EQ(cell.value2, c.values[1]);
    EXPECT_EQ(cell.value3, c.values[2]);
    EXPECT_EQ(cell.value4, c.values[3]);
    signal_parts back;
    ASSERT_TRUE(unpack_signal(cell, back));
    const signal_parts& p = c.parts;
    EXPECT_EQ(
        std::vector<std::int32_t>({back.s1, back.d1, back.s2, back.d2, back.s3,
                                   back.d3, back.rapp, back.sx, back.dx}),
        std::vector<std::int32_t>(
            {p.s1, p.d1, p.s2, p.d2, p.s3, p.d3, p.rapp, p.sx, p.dx}));
  }
  // Sums keep their low 16 bits; a negative value cannot be taken apart.
  track_cell wrapped;
  pack_signal({7000, 9, 0, 0, 0, 0, 0, 0, 0}, wrapped);
  EXPECT_EQ(wrapped.value1, 70009 - 65536);
  pack_signal({3277, 0, 0, 0, 0, 0, 0, 0, 0}, wrapped);
  signal_parts parts;
  EXPECT_FALSE(unpack_signal(wrapped, parts));
}

TEST(stored_values, speed_board_round_trip) {
  const struct {
    speed_board_parts parts;
    std::int16_t values[4];
    const char* note;
  } cases[] = {
      {{{70, 75, 75}, {0, 0, 0}, 0, 0}, {1400, 1500, 1500}, "first speeds"},
      {{{60, 0, 1637}, {5, 95, 95}, 3, 2}, {1201, 19, 32759}, "second speeds"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    track_cell cell;
    ASSERT_TRUE(pack_speed_board(c.parts, cell));
    EXPECT_EQ(cell.value1, c.values[0]);
    EXPECT_EQ(cell.value2, c.values[1]);
    EXPECT_EQ(cell.value3, c.values[2]);
    EXPECT_EQ(cell.value4, c.parts.first_stripes * 10 + c.parts.second_stripes);
    speed_board_parts back;
    ASSERT_TRUE(unpack_speed_board(cell, back));
    EXPECT_EQ(back.first_kmh, c.parts.first_kmh);
    EXPECT_EQ(back.second_kmh, c.parts.second_kmh);
    EXPECT_EQ(back.first_stripes, c.parts.first_stripes);
    EXPECT_EQ(back.second_stripes, c.parts.second_stripes);
  }
  // A second speed between steps comes back to the nearest 5 km/h.
  track_cell cell;
  ASSERT_TRUE(pack_speed_board({{50, 50, 50}, {7, 8, 12}, 0, 0}, cell));
  speed_board_parts back;
  ASSERT_TRUE(unpack_speed_board(cell, back));
  EXPECT_EQ(back.second_kmh, (std::array<std::int32_t, 3>{5, 10, 10}));
  // A speed that does not fit 16 bits leaves the cell as it was.
  cell.value1 = 11;
  EXPECT_FALSE(pack_speed_board({{1, 1639, 1}, {0, 0, 0}, 0, 0}, cell));
  EXPECT_EQ(cell.value1, 11);
}

TEST(stored_values, station_extent_and_length_round_trip) {
  const struct {
    std::uint8_t kind;
    bool opt_d;
    std::int32_t from_m, to_m;  // for a station at 20000, 600 m long
    bool marker, marks;
  } cases[] = {
      {2, false, 19700, 20300, true, true},     // centred
      {12, true, 19700, 20350, true, true},     // opt_d adds 50 m
      {5, true, 19400, 20150, true, false},     // terminal, opt_d unused
      {6, false, 19400, 20150, true, false},    // terminal
      {7, false, 19400, 20600, true, true},     // both sides
      {8, true, 19400, 20600, true, true},      // both sides, opt_d unused
      {24, false, 19700, 20300, true, true},    // the last marked kind
      {25, false, 19700, 20300, false, false},  // timetable only
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int{c.kind});
    const station_extent e = extent_of_station(c.kind, 20000, 600, c.opt_d);
    EXPECT_EQ(e.from_m, c.from_m);
    EXPECT_EQ(e.to_m, c.to_m);
    line_record station;
    station.kind = c.kind;
    station.at_m = 20000;
    station.from_m = e.from_m;
    station.to_m = e.to_m;
    EXPECT_EQ(station_length_m(station), 600);
    EXPECT_EQ(station_has_marker(c.kind), c.marker);
    EXPECT_EQ(station_has_approach_marks(c.kind), c.marks);
  }
}

TEST(stored_values, time_of_day_round_trip) {
  const struct {
    std::int32_t hours, minutes, seconds;
    std::int32_t time_s;
  } cases[] = {
      {18, 44, 0, 67440},  // the first embedded station
      {0, 0, 0, 0},
      {25, 0, 1, 90001},  // hours run past 23
      {596523, 14, 7, 2147483647},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.time_s);
    EXPECT_EQ(encode_time_of_day(c.hours, c.minutes, c.seconds), c.time_s);
    const time_parts t = decode_time_of_day(c.time_s);
    EXPECT_FALSE(t.negative);
    EXPECT_EQ(t.hours, c.hours);
    EXPECT_EQ(t.minutes, c.minutes);
    EXPECT_EQ(t.seconds, c.seconds);
    const time_parts minus = decode_time_of_day(-c.time_s);
    EXPECT_EQ(minus.negative, c.time_s != 0);
    EXPECT_EQ(-encode_time_of_day(static_cast<std::int32_t>(minus.hours),
                                  minus.minutes, minus.seconds),
              -c.time_s);
  }
  EXPECT_EQ(encode_time_of_day(596524, 0, 0), 2147486400 - 4294967296);
}

TEST(stored_values, slot_roles) {
  line_record station;
  station.kind = 2;
  station.label = "CENDRA";
  line_record board_text;
  board_text.label = "(GALLERIA  )";
  const line_record cleared;
  const struct {
    int slot;
    const line_record& record;
    slot_role role;
    const char* name;
  } cases[] = {
      {0, cleared, slot_role::unused, "unused slot 0"},
      {1, station, slot_role::station, "station"},
      {80, board_text, slot_role::board_text, "board text"},
      {40, board_text, slot_role::board_text, "board text"},
      {81, cleared, slot_role::reference_three, "kilometre reference three"},
      {82, cleared, slot_role::reference_two, "kilometre reference two"},
      {83, cleared, slot_role::reference_one, "kilometre reference one"},
      {84, cleared, slot_role::train_line_data, "train and line data"},
      {85, board_text, slot_role::scenario_header, "scenario header"},
      {86, station, slot_role::train_header, "train header"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.slot);
    EXPECT_EQ(role_of_slot(c.slot, c.record), c.role);
    EXPECT_STREQ(slot_role_name(c.role), c.name);
  }
  EXPECT_FALSE(slot_used(cleared));
  EXPECT_TRUE(slot_used(board_text));
}

// ---------------------------------------------------------------------------
// The encoders store exactly what the readers store today, so a reader can
// call them without changing a byte of any output.

TEST(stored_values, encoders_match_what_the_readers_store) {
  for (std::int32_t kmh = -10; kmh <= 1300; ++kmh) {
    std::uint8_t ours = 0, reader = 0;
    ASSERT_EQ(encode_speed_units(kmh, ours),
              nearest_u8(static_cast<double>(kmh) / 5.0, reader))
        << kmh;
    EXPECT_EQ(ours, reader) << kmh;
  }

  line_fixture line;
  line.compile(line_source(3000, {"pendenza, 0, 160", "pendenza, 500, -101",
                                  "indicatori_v, 1000, 60, 0, 1637, 3, 5, "
                                  "95, 99, 2"}),
               0);
  ASSERT_EQ(line.ctx.error_code, 0);
  EXPECT_EQ(line.cell(5).gradient, encode_gradient(160));
  EXPECT_EQ(line.cell(50).gradient, encode_gradient(-101));
  track_cell board;
  ASSERT_TRUE(pack_speed_board({{60, 0, 1637}, {5, 95, 99}, 3, 2}, board));
  board.kind = kind_speed_board;
  const track_cell read = line.cell(21);
  EXPECT_EQ(read.kind, board.kind);
  EXPECT_EQ(read.value1, board.value1);
  EXPECT_EQ(read.value2, board.value2);
  EXPECT_EQ(read.value3, board.value3);
  EXPECT_EQ(read.value4, board.value4);

  train_fixture train;
  train.read(train_source(
      {"segnale,   2000,   2, 7000, 3,  1, 5,   2,  9,1,1, 0",
       "stazione,  10000,  7,  800,  0, 0, 1,  0,0,0,  0,0,0,  0,  25,61,59, A",
       "stazione,  20000, 12,  500,  0, 0, 1,  0,0,0,  0,0,0,  0,  19, 2, 0, "
       "B"}));
  ASSERT_EQ(train.ctx.error_code, 0);
  track_cell signal;
  pack_signal({7000, 9, 3, 1, 1, 1, 5, 2, 2}, signal);
  EXPECT_EQ(train.cell(41).value1, signal.value1);
  EXPECT_EQ(train.cell(41).value2, signal.value2);
  EXPECT_EQ(train.cell(41).value3, signal.value3);
  EXPECT_EQ(train.cell(41).value4, signal.value4);
  for (int b = 1; b <= 4; ++b)
    EXPECT_EQ(train.cell(41 - 2 * b).approach, signal_approach_code(2, 2, b));

  const struct {
    int slot;
    std::uint8_t kind;
    std::int32_t at_m, length_m;
    bool opt_d;  // as the row gives it; slot 1 clears it after the extent
  } stations[] = {{1, 7, 10000, 800, true}, {2, 12, 20000, 500, true}};
  for (const auto& s : stations) {
    SCOPED_TRACE(s.slot);
    const line_record& r = train.slot(s.slot);
    const station_extent e =
        extent_of_station(s.kind, s.at_m, s.length_m, s.opt_d);
    EXPECT_EQ(r.from_m, e.from_m);
    EXPECT_EQ(r.to_m, e.to_m);
    EXPECT_EQ(station_length_m(r), s.length_m);
    const std::int64_t d = r.to_m / cell_length_m;
    EXPECT_EQ(train.cell(d - 1).kind, kind_station_marker);
    for (int k = 1; k <= 4; ++k)
      EXPECT_EQ(train.cell(d - k - 1).approach, station_approach_code(k));
  }
  EXPECT_EQ(train.slot(1).time_s, encode_time_of_day(25, 61, 59));
  EXPECT_EQ(train.slot(2).time_s, encode_time_of_day(19, 2, 0));
}

// ---------------------------------------------------------------------------
// Compiled grids: every kind they hold has an entry, and every packed value
// unpacks and packs again to itself.

// The kinds of `grid`, checked cell by cell; empty after a failure.
std::set<int> check_cells(const track_grid& grid) {
  std::set<int> kinds;
  for (const track_cell& c : grid.cells) {
    kinds.insert(c.kind);
    const cell_kind_info* info = find_cell_kind(c.kind);
    EXPECT_NE(info, nullptr) << int{c.kind};
    if (info == nullptr) return {};
    track_cell again = c;
    if (c.kind == kind_signal) {
      signal_parts parts;
      EXPECT_TRUE(unpack_signal(c, parts));
      pack_signal(parts, again);
    } else if (c.kind == kind_speed_board) {
      speed_board_parts parts;
      EXPECT_TRUE(unpack_speed_board(c, parts));
      EXPECT_TRUE(pack_speed_board(parts, again));
    }
    EXPECT_EQ(again.value1, c.value1);
    EXPECT_EQ(again.value2, c.value2);
    EXPECT_EQ(again.value3, c.value3);
    EXPECT_EQ(again.value4, c.value4);
    // Every stored speed limit and gradient reads as a value that is stored
    // the same way again.
    std::uint8_t units = 0;
    EXPECT_TRUE(encode_speed_units(decode_speed_units(c.speed_limit), units));
    EXPECT_EQ(units, c.speed_limit);
    EXPECT_EQ(encode_gradient(decode_gradient(c.gradient)), c.gradient);
  }
  return kinds;
}

TEST(stored_values, compiled_cells_are_known_and_unpack_to_themselves) {
  temp_dir dir;
  compile_context embedded = make_test_context(dir.path());
  ASSERT_TRUE(run_program(embedded).ok());
  std::set<int> kinds = check_cells(embedded.grid);

  // A long line adds slowdowns and signal-code markers.
  memory_disk disk;
  compile_context dense = make_test_context("");
  dense.files.memory = &disk;
  const long_line line = make_long_line(100000);
  disk.files[line_source_name(dense)] = long_line_source(line);
  disk.files[train_source_name(dense)] = long_train_source(line);
  ASSERT_TRUE(memorizza_percorso(dense, 0).ok());
  ASSERT_EQ(dense.error_code, 0);
  const std::set<int> more = check_cells(dense.grid);
  kinds.insert(more.begin(), more.end());

  // Between them they hold every kind but the marker of a code-marker row
  // with code 0, which neither has.
  for (const cell_kind_info& info : cell_kinds) {
    if (info.kind == kind_zero_code_marker) continue;
    EXPECT_EQ(kinds.count(info.kind), 1u) << info.name;
  }
  EXPECT_EQ(find_cell_kind(7), nullptr);
  EXPECT_STREQ(cell_kind_name(255), "unknown kind");
}

// The table lists each kind once, in ascending order, and names the values
// of a kind only where the kind stores one.
TEST(stored_values, cell_kinds_table_is_ordered_and_named) {
  int previous = -1;
  std::set<std::string> names;
  for (const cell_kind_info& info : cell_kinds) {
    SCOPED_TRACE(info.name);
    EXPECT_GT(int{info.kind}, previous);
    previous = info.kind;
    EXPECT_TRUE(names.insert(info.name).second);
    EXPECT_EQ(find_cell_kind(info.kind), &info);
    for (const value_field& v : info.values)
      EXPECT_EQ(*v.name == '\0', *v.meaning == '\0');
  }
}

}  // namespace
