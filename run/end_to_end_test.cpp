// The embedded scenario compiled by a whole run, checked against the figures
// known for its three binary files.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "run/run_sequence.h"
#include "test/run_fixture.h"
#include "test/temp_dir.h"

namespace {

unsigned byte_at(const std::string& file, std::size_t offset) {
  return static_cast<unsigned char>(file.at(offset));
}
unsigned u16_at(const std::string& file, std::size_t offset) {
  return byte_at(file, offset) | byte_at(file, offset + 1) << 8;
}
std::uint32_t u32_at(const std::string& file, std::size_t offset) {
  return u16_at(file, offset) | std::uint32_t{u16_at(file, offset + 2)} << 16;
}

class embedded_run : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new temp_dir;
    compile_context ctx = make_test_context(dir_->path());
    ASSERT_TRUE(run_program(ctx).ok());
    ASSERT_EQ(ctx.error_code, 0);
  }
  static void TearDownTestSuite() { delete dir_; }
  static temp_dir* dir_;
};
temp_dir* embedded_run::dir_ = nullptr;

TEST_F(embedded_run, line_profile_holds_the_plan_in_tagged_entries) {
  std::string profile = dir_->read("Cendra_Gelsio2_linea.dat");
  const std::size_t l = 115000;
  ASSERT_EQ(profile.size(), 20 * l - 36);
  // Each half: two 16-bit entries (4 bytes), L - 3 doubles (10 bytes), two
  // empty entries (2 bytes).
  const std::size_t half = profile.size() / 2;
  const unsigned first_half[] = {2, 0, 0, 0, 2, 0, 0, 0};
  const unsigned second_half[] = {2, 0, 0, 0, 2, 0, 1, 0};
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(byte_at(profile, i), first_half[i]) << i;
    EXPECT_EQ(byte_at(profile, half + i), second_half[i]) << i;
  }
  EXPECT_EQ(u16_at(profile, 8), 5u);              // metre 2 is a double
  EXPECT_EQ(u16_at(profile, half - 4), 0u);       // metre L - 1 empty
  EXPECT_EQ(u16_at(profile, half - 2), 0u);       // metre L empty
  EXPECT_EQ(u16_at(profile, half - 4 - 10), 5u);  // metre L - 2 a double
}

TEST_F(embedded_run, track_file_carries_the_header_values_in_cell_1) {
  std::string track = dir_->read("Cendra_Gelsio2_EC 482.dat");
  ASSERT_EQ(track.size(), 15u * 2301);
  EXPECT_EQ(byte_at(track, 15), 0u);    // cell 1 kind
  EXPECT_EQ(u16_at(track, 16), 5121u);  // header value
  // The 16-bit race code: the character codes of the first 25 characters of
  // "ec 482" + "cendra_gelsio2" + "aabbc", summed.
  EXPECT_EQ(u16_at(track, 18), 2288u);
  // Cell 41, the first signal: kind 1, values 40, 0, 0, 6.
  EXPECT_EQ(byte_at(track, 41 * 15), 1u);
  EXPECT_EQ(u16_at(track, 41 * 15 + 1), 40u);
  EXPECT_EQ(u16_at(track, 41 * 15 + 7), 6u);
}

TEST_F(embedded_run, line_table_ends_with_the_scenario_and_train_headers) {
  std::string table = dir_->read("Cendra_Gelsio2_EC 482.sim");
  // Walk the 87 records: 34 bytes each plus the label.
  std::size_t offset = 0;
  std::size_t slot85 = 0, slot86 = 0;
  for (int slot = 0; slot < 87; ++slot) {
    ASSERT_LE(offset + 34, table.size());
    if (slot == 85) slot85 = offset;
    if (slot == 86) slot86 = offset;
    offset += 34 + u16_at(table, offset + 14);
  }
  EXPECT_EQ(offset, table.size());
  EXPECT_EQ(table.substr(slot85 + 16, 14), "Cendra_Gelsio2");
  EXPECT_EQ(u16_at(table, slot85 + 30), 610u);  // num_a
  // The 32-bit race code: the same characters weighted 1 to 25.
  EXPECT_EQ(u32_at(table, slot85 + 30 + 14), 31218u);
  EXPECT_EQ(u16_at(table, slot86 + 14), 6u);
  EXPECT_EQ(table.substr(slot86 + 16, 6), "EC 482");
}

}  // namespace
