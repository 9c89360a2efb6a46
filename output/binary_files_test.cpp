#include "output/binary_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "test/run_fixture.h"
#include "test/temp_dir.h"

namespace {

using bytes = std::vector<std::uint8_t>;

bytes as_bytes(const std::string& s) { return bytes(s.begin(), s.end()); }

bytes slice(const bytes& b, std::size_t offset, std::size_t count) {
  if (offset > b.size()) return {};
  count = std::min(count, b.size() - offset);
  return bytes(b.begin() + static_cast<std::ptrdiff_t>(offset),
               b.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

// A model as the readers would leave it for a 3-cell-long line: grid N = 3,
// curve table L = 3, the names in slots 85 and 86.
compile_context small_model(const std::string& dir) {
  compile_context ctx = make_test_context(dir);
  ctx.write_flag = 1;
  allocate_grid(ctx.grid, 3);
  allocate_curve_table(ctx.curves, 3);
  ctx.table.slots[slot_scenario_header].label = ctx.scenario_name;
  ctx.table.slots[slot_train_header].label = ctx.train_name;
  return ctx;
}

bytes table_image(const compile_context& ctx) {
  bytes out;
  EXPECT_TRUE(line_table_bytes(ctx, out).ok());
  return out;
}

// ---------------------------------------------------------------------------
// Header step

TEST(header_step, stores_the_header_values_and_race_codes) {
  compile_context ctx = small_model("");
  ctx.table.slots[slot_train_header].label = "AB";
  ctx.table.slots[slot_scenario_header].label = "c";
  ctx.grid.cells[2].kind = kind_signal;
  ctx.grid.cells[2].value1 = 44;

  ASSERT_TRUE(header_step(ctx).ok());
  EXPECT_EQ(ctx.table.slots[slot_scenario_header].num_a, 610);
  EXPECT_EQ(ctx.table.slots[slot_scenario_header].time_s, 33756);
  EXPECT_EQ(ctx.grid.cells[1].value1, 5121);
  EXPECT_EQ(ctx.grid.cells[1].value2, 2546);
  EXPECT_EQ(ctx.grid.cells[2].value1, 44);  // other cells untouched
}

TEST(header_step, a_taken_place_stops_with_its_number) {
  struct {
    std::function<void(compile_context&)> setup;
    const char* detail;
    bool marks_stored;  // 610 and 5121 already set when the check fires
    const char* note;
  } cases[] = {
      {[](compile_context& c) {
         c.table.slots[slot_scenario_header].num_a = 1;
       },
       "1250", false, "slot 85 num_a taken"},
      {[](compile_context& c) { c.grid.cells[1].value1 = 180; }, "1250", false,
       "a signal-code marker in cell 1"},
      {[](compile_context& c) {
         c.grid.cells[1].value1 = 3;
         c.grid.cells[1].value2 = 4;
       },
       "1250", false, "both cell 1 values taken: the first check fires"},
      {[](compile_context& c) {
         c.table.slots[slot_scenario_header].time_s = 7;
       },
       "1251", true, "slot 85 time_s taken"},
      {[](compile_context& c) { c.grid.cells[1].value2 = -3; }, "1251", true,
       "only cell 1 value2 taken: passes the first check"},
      {[](compile_context& c) { allocate_grid(c.grid, 0); }, "1250", false,
       "a grid of one cell has no cell 1 for the header"},
      {[](compile_context& c) { c.grid.cells.clear(); }, "1250", false,
       "no grid at all"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    compile_context ctx = small_model("");
    c.setup(ctx);
    compile_context expected = ctx;
    if (c.marks_stored) {
      expected.table.slots[slot_scenario_header].num_a = 610;
      expected.grid.cells[1].value1 = 5121;
    }

    step_result r = header_step(ctx);
    EXPECT_EQ(r.code, step_code::header_check);
    EXPECT_EQ(r.detail, c.detail);
    EXPECT_EQ(table_image(ctx), table_image(expected));
    EXPECT_EQ(track_bytes(ctx.grid), track_bytes(expected.grid));
  }
}

// ---------------------------------------------------------------------------
// File images

TEST(line_table_bytes, records_follow_one_another_with_their_labels) {
  compile_context ctx = small_model("");
  line_record& station = ctx.table.slots[12];
  station.kind = 7;
  station.from_m = 1000;
  station.to_m = -1;
  station.at_m = 0x01020304;
  station.opt_a = 9;
  station.label = "Nova";
  station.num_a = 610;
  station.num_b = -2;
  station.num_c = 3;
  station.num_d = 4;
  station.num_e = 5;
  station.opt_b = 0x0B;
  station.opt_c = 0x0C;
  station.opt_d = 0x0D;
  station.opt_e = 0xFF;
  station.time_s = 45000;

  bytes image = table_image(ctx);
  // 87 fixed parts plus "Nova", "Cendra_Gelsio2" and "EC 482".
  ASSERT_EQ(image.size(), 87u * 34u + 4u + 14u + 6u);
  EXPECT_EQ(slice(image, 0, 12 * 34), bytes(12 * 34, 0))
      << "cleared slots 0 to 11 are 34 zero bytes each";

  const bytes station_record = {
      7,                       // kind
      0xE8, 0x03, 0x00, 0x00,  // from_m 1000
      0xFF, 0xFF, 0xFF, 0xFF,  // to_m -1
      0x04, 0x03, 0x02, 0x01,  // at_m 0x01020304
      9,                       // opt_a
      0x04, 0x00,              // label length 4
      'N',  'o',  'v',  'a',   // label
      0x62, 0x02,              // num_a 610
      0xFE, 0xFF,              // num_b -2
      0x03, 0x00,              // num_c
      0x04, 0x00,              // num_d
      0x05, 0x00,              // num_e
      0x0B, 0x0C, 0x0D, 0xFF,  // opt_b to opt_e
      0xC8, 0xAF, 0x00, 0x00,  // time_s 45000
  };
  EXPECT_EQ(slice(image, 12 * 34, 38), station_record);

  // Slot 86 is the last record; its label "EC 482" makes it 40 bytes.
  const std::size_t slot86 = 86 * 34 + 4 + 14;
  bytes train = slice(image, slot86, 40);
  ASSERT_EQ(image.size() - slot86, 40u);
  EXPECT_EQ(slice(train, 0, 14), bytes(14, 0));
  EXPECT_EQ(slice(train, 14, 2), (bytes{0x06, 0x00}));
  EXPECT_EQ(slice(train, 16, 6), as_bytes("EC 482"));
  EXPECT_EQ(slice(train, 22, 18), bytes(18, 0));
}

TEST(line_table_bytes, label_length_must_fit_16_bits) {
  compile_context ctx = small_model("/scenario");
  ctx.table.slots[3].label = std::string(65535, 'x');
  bytes image = table_image(ctx);
  EXPECT_EQ(slice(image, 3 * 34 + 14, 2), (bytes{0xFF, 0xFF}))
      << "the longest label that fits";

  ctx.table.slots[3].label += 'x';
  step_result r = line_table_bytes(ctx, image);
  EXPECT_EQ(r.code, step_code::file_fault);
  EXPECT_NE(r.detail.find(line_table_file_name(ctx)), std::string::npos)
      << r.detail;
  EXPECT_NE(r.detail.find("slot 3 "), std::string::npos) << r.detail;
}

TEST(track_bytes, each_cell_is_15_bytes_in_index_order) {
  track_grid grid;
  allocate_grid(grid, 3);
  track_cell& cell = grid.cells[2];
  cell.kind = kind_signal;
  cell.value1 = -3;
  cell.value2 = 258;
  cell.value3 = 0x7FFF;
  cell.value4 = -32768;
  cell.timer = 5;
  cell.approach = 6;
  cell.mountain = 12;
  cell.speed_limit = 24;
  cell.gradient = 130;
  cell.adhesion = 200;

  bytes image = track_bytes(grid);
  ASSERT_EQ(image.size(), 4u * 15u);
  EXPECT_EQ(slice(image, 0, 30), bytes(30, 0)) << "cells 0 and 1";
  const bytes cell_record = {
      1,           // kind: signal
      0xFD, 0xFF,  // value1 -3
      0x02, 0x01,  // value2 258
      0xFF, 0x7F,  // value3 32767
      0x00, 0x80,  // value4 -32768
      5,           // timer
      6,           // approach
      12,          // mountain
      24,          // speed_limit
      130,         // gradient
      200,         // adhesion
  };
  EXPECT_EQ(slice(image, 30, 15), cell_record);
  EXPECT_EQ(slice(image, 45, 15), bytes(15, 0)) << "cell 3";
}

TEST(line_profile_bytes, tagged_entries_in_stored_order) {
  curve_table curves;
  allocate_curve_table(curves, 3);
  set_curve_int16(curves, 0, 0, 0);
  set_curve_int16(curves, 1, 0, -2);
  set_curve_real(curves, 2, 0, 1.5);
  set_curve_int16(curves, 0, 1, 0);
  set_curve_int16(curves, 1, 1, 1);
  set_curve_real(curves, 2, 1, -2.0);
  set_curve_real(curves, 3, 1, 0.1);

  const bytes expected = {
      0x02, 0x00, 0x00, 0x00,  // (0,0) int 0
      0x02, 0x00, 0xFE, 0xFF,  // (1,0) int -2
      0x05, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0xF8, 0x3F,  // (2,0) double 1.5
      0x00, 0x00,                    // (3,0) empty
      0x02, 0x00, 0x00, 0x00,        // (0,1) int 0
      0x02, 0x00, 0x01, 0x00,        // (1,1) int 1
      0x05, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0xC0,  // (2,1) double -2
      0x05, 0x00, 0x9A, 0x99, 0x99,
      0x99, 0x99, 0x99, 0xB9, 0x3F,  // (3,1) double 0.1
  };
  EXPECT_EQ(line_profile_bytes(curves), expected);
}

TEST(line_profile_bytes, a_completely_read_plan_is_20_l_minus_36_bytes) {
  // Each half: integers at m = 0 and 1, doubles up to L - 2, two empty.
  const std::int32_t l = 10;
  curve_table curves;
  allocate_curve_table(curves, l);
  for (int c = 0; c < 2; ++c) {
    set_curve_int16(curves, 0, c, 0);
    set_curve_int16(curves, 1, c, static_cast<std::int16_t>(c));
    for (std::int32_t m = 2; m <= l - 2; ++m) set_curve_real(curves, m, c, m);
  }
  bytes image = line_profile_bytes(curves);
  EXPECT_EQ(image.size(), static_cast<std::size_t>(20 * l - 36));
  // The second half starts after 2 x 4 + 7 x 10 + 2 x 2 bytes.
  EXPECT_EQ(slice(image, 82, 8),
            (bytes{0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00}));
}

// ---------------------------------------------------------------------------
// Writing the files

class write_binary_files_test : public ::testing::Test {
 protected:
  temp_dir dir;
  compile_context ctx = small_model(dir.path());

  std::string profile() const { return line_profile_file_name(ctx); }
  std::string table() const { return line_table_file_name(ctx); }
  std::string track() const { return track_file_name(ctx); }
};

TEST_F(write_binary_files_test, replaces_earlier_longer_files_completely) {
  const std::string earlier(100000, 'x');
  for (const std::string& name : {profile(), table(), track()})
    dir.write(name, earlier);
  set_curve_int16(ctx.curves, 1, 1, 1);
  ASSERT_TRUE(header_step(ctx).ok());

  ASSERT_TRUE(write_binary_files(ctx).ok());
  EXPECT_EQ(dir.names(), (std::set<std::string>{profile(), table(), track()}))
      << "no temporary file left behind";
  EXPECT_EQ(as_bytes(dir.read(profile())), line_profile_bytes(ctx.curves));
  EXPECT_EQ(as_bytes(dir.read(table())), table_image(ctx));
  bytes track_file = as_bytes(dir.read(track()));
  EXPECT_EQ(track_file.size(), 4u * 15u);
  // Cell 1: kind 0, value1 5121, value2 the 16-bit race code of the embedded
  // names (2288).
  EXPECT_EQ(slice(track_file, 15, 5), (bytes{0x00, 0x01, 0x14, 0xF0, 0x08}));
}

TEST_F(write_binary_files_test, write_flag_0_leaves_the_line_profile_alone) {
  ctx.write_flag = 0;
  ctx.curves = curve_table{};  // never allocated without write_flag
  dir.write(profile(), "earlier profile");

  ASSERT_TRUE(write_binary_files(ctx).ok());
  EXPECT_EQ(dir.read(profile()), "earlier profile");
  EXPECT_EQ(as_bytes(dir.read(table())), table_image(ctx));
  EXPECT_EQ(as_bytes(dir.read(track())), track_bytes(ctx.grid));

  temp_dir empty;
  compile_context no_profile = small_model(empty.path());
  no_profile.write_flag = 0;
  ASSERT_TRUE(write_binary_files(no_profile).ok());
  EXPECT_FALSE(empty.contains(profile())) << "not created either";
}

TEST_F(write_binary_files_test, a_write_fault_stops_there_and_keeps_the_rest) {
  const std::string names[] = {profile(), table(), track()};
  const bytes images[] = {line_profile_bytes(ctx.curves), table_image(ctx),
                          track_bytes(ctx.grid)};
  for (int failing = 0; failing < 3; ++failing) {
    SCOPED_TRACE(names[failing]);
    for (const std::string& name : names) dir.write(name, "earlier " + name);
    ctx.files.fail_create = names[failing];

    step_result r = write_binary_files(ctx);
    EXPECT_EQ(r.code, step_code::file_fault);
    EXPECT_NE(r.detail.find(names[failing]), std::string::npos) << r.detail;
    // Files before the failing one carry the new content; the failing one and
    // those after it keep the earlier content whole.
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE(names[i]);
      if (i < failing) {
        EXPECT_EQ(as_bytes(dir.read(names[i])), images[i]);
      } else {
        EXPECT_EQ(dir.read(names[i]), "earlier " + names[i]);
      }
    }
    EXPECT_EQ(dir.names().size(), 3u) << "no temporary file left behind";
  }
}

TEST_F(write_binary_files_test, an_over_long_label_touches_no_file) {
  dir.write(table(), "earlier table");
  ctx.table.slots[80].label = std::string(70000, 'b');

  step_result r = write_binary_files(ctx);
  EXPECT_EQ(r.code, step_code::file_fault);
  EXPECT_NE(r.detail.find("slot 80 "), std::string::npos) << r.detail;
  EXPECT_EQ(dir.names(), std::set<std::string>{table()});
  EXPECT_EQ(dir.read(table()), "earlier table");
}

}  // namespace
