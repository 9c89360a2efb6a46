#include "output/file_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "output/coding.h"
#include "run/run_sequence.h"
#include "test/run_fixture.h"
#include "test/temp_dir.h"

namespace {

using bytes = std::vector<std::uint8_t>;

std::string as_text(const bytes& b) { return std::string(b.begin(), b.end()); }

bytes as_bytes(const std::string& s) { return bytes(s.begin(), s.end()); }

// The writer appends field after field, the decoders read each field at its
// named offset: a cell and a record whose fields all differ must be found
// field by field where the offsets say.
TEST(file_format, writer_puts_every_field_at_its_named_offset) {
  track_grid grid;
  allocate_grid(grid, 0);
  grid.cells[0] = {201, -2, 0x1234, -30000, 777, 202, 203, 204, 205, 206, 207};
  const std::string cell = as_text(track_bytes(grid));
  ASSERT_EQ(cell.size(), cell_bytes);
  EXPECT_EQ(get_u8(cell, cell_kind_at), 201);
  EXPECT_EQ(get_i16(cell, cell_value1_at), -2);
  EXPECT_EQ(get_i16(cell, cell_value2_at), 0x1234);
  EXPECT_EQ(get_i16(cell, cell_value3_at), -30000);
  EXPECT_EQ(get_i16(cell, cell_value4_at), 777);
  EXPECT_EQ(get_u8(cell, cell_timer_at), 202);
  EXPECT_EQ(get_u8(cell, cell_approach_at), 203);
  EXPECT_EQ(get_u8(cell, cell_mountain_at), 204);
  EXPECT_EQ(get_u8(cell, cell_speed_limit_at), 205);
  EXPECT_EQ(get_u8(cell, cell_gradient_at), 206);
  EXPECT_EQ(get_u8(cell, cell_adhesion_at), 207);

  compile_context ctx;
  line_record& r = ctx.table.slots[0];
  r = {9,  -100000, 200000, -3, 11, "abc", -4, 5,
       -6, 7,       -8,     12, 13, 14,    15, -99999};
  bytes image;
  ASSERT_TRUE(line_table_bytes(ctx, image).ok());
  const std::string table = as_text(image);
  ASSERT_EQ(table.size(), line_table_slots * record_fixed_bytes + 3);
  EXPECT_EQ(get_u8(table, record_kind_at), 9);
  EXPECT_EQ(get_i32(table, record_from_m_at), -100000);
  EXPECT_EQ(get_i32(table, record_to_m_at), 200000);
  EXPECT_EQ(get_i32(table, record_at_m_at), -3);
  EXPECT_EQ(get_u8(table, record_opt_a_at), 11);
  EXPECT_EQ(get_u16(table, record_label_length_at), 3);
  EXPECT_EQ(table.substr(record_label_at, 3), "abc");
  const std::size_t tail = record_label_at + 3;
  EXPECT_EQ(get_i16(table, tail + tail_num_a_at), -4);
  EXPECT_EQ(get_i16(table, tail + tail_num_b_at), 5);
  EXPECT_EQ(get_i16(table, tail + tail_num_c_at), -6);
  EXPECT_EQ(get_i16(table, tail + tail_num_d_at), 7);
  EXPECT_EQ(get_i16(table, tail + tail_num_e_at), -8);
  EXPECT_EQ(get_u8(table, tail + tail_opt_b_at), 12);
  EXPECT_EQ(get_u8(table, tail + tail_opt_c_at), 13);
  EXPECT_EQ(get_u8(table, tail + tail_opt_d_at), 14);
  EXPECT_EQ(get_u8(table, tail + tail_opt_e_at), 15);
  EXPECT_EQ(get_i32(table, tail + tail_time_s_at), -99999);
  // The next record, slot 1, starts right after the tail.
  EXPECT_EQ(get_u16(table, record_fixed_bytes + 3 + record_label_length_at), 0);
}

// Each tag of the table is written with the value size the table gives it,
// and the decoder walks the entries by that same size.
TEST(file_format, profile_entries_take_the_size_of_their_tag) {
  for (const profile_tag_info& t : profile_tags) {
    SCOPED_TRACE(t.name);
    curve_table curves;
    allocate_curve_table(curves, 0);
    curves.tags = {t.tag, curve_tag::empty};
    const bytes image = line_profile_bytes(curves);
    // The entry, then the empty one after it: a bare tag.
    ASSERT_EQ(image.size(), profile_tag_bytes + t.value_bytes + 2);
    EXPECT_EQ(get_u16(as_text(image), 0), t.code);
    EXPECT_EQ(find_profile_tag(t.code), &t);
    curve_table back;
    ASSERT_TRUE(decode_line_profile(as_text(image), back).ok());
    EXPECT_EQ(back.tags, curves.tags);
  }
  EXPECT_EQ(find_profile_tag(1), nullptr);
  EXPECT_EQ(find_profile_tag(0x0500), nullptr);  // 5 in the wrong byte order
}

// The embedded scenario compiled by a whole run, once for the tests below.
class file_format_embedded : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new temp_dir;
    ctx_ = new compile_context(make_test_context(dir_->path()));
    ASSERT_TRUE(run_program(*ctx_).ok());
    ASSERT_EQ(ctx_->error_code, 0);
  }
  static void TearDownTestSuite() {
    delete ctx_;
    delete dir_;
  }
  static std::string file(const std::string& name) { return dir_->read(name); }
  static temp_dir* dir_;
  static compile_context* ctx_;
};
temp_dir* file_format_embedded::dir_ = nullptr;
compile_context* file_format_embedded::ctx_ = nullptr;

// The files as the program wrote them, decoded and encoded again, come back
// byte for byte.
TEST_F(file_format_embedded, decoding_then_encoding_gives_the_same_bytes) {
  const std::string track = file(track_file_name(*ctx_));
  track_grid grid;
  ASSERT_TRUE(decode_track(track, grid).ok());
  EXPECT_EQ(grid.cells.size(), ctx_->grid.cells.size());
  EXPECT_EQ(track_bytes(grid), as_bytes(track));

  const std::string table = file(line_table_file_name(*ctx_));
  compile_context again;
  ASSERT_TRUE(decode_line_table(table, again.table).ok());
  EXPECT_EQ(again.table.slots[slot_scenario_header].label, ctx_->scenario_name);
  bytes table_again;
  ASSERT_TRUE(line_table_bytes(again, table_again).ok());
  EXPECT_EQ(table_again, as_bytes(table));

  const std::string profile = file(line_profile_file_name(*ctx_));
  curve_table curves;
  ASSERT_TRUE(decode_line_profile(profile, curves).ok());
  EXPECT_EQ(curves.last_metre, ctx_->curves.last_metre);
  EXPECT_EQ(line_profile_bytes(curves), as_bytes(profile));
}

// The profile built a chunk at a time, in chunks of any size, is the file.
TEST_F(file_format_embedded, profile_appended_in_chunks_is_the_whole_file) {
  const bytes whole = as_bytes(file(line_profile_file_name(*ctx_)));
  const std::size_t count = ctx_->curves.tags.size();
  for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{65536},
                            count / 2 + 1, count}) {
    SCOPED_TRACE(chunk);
    bytes out = {0xEE};  // appended after what is there
    for (std::size_t from = 0; from < count; from += chunk)
      append_profile_entries(ctx_->curves, from, std::min(count, from + chunk),
                             out);
    ASSERT_EQ(out.size(), whole.size() + 1);
    EXPECT_EQ(out.front(), 0xEE);
    EXPECT_TRUE(std::equal(whole.begin(), whole.end(), out.begin() + 1));
  }
}

}  // namespace
