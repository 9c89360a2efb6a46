// Replays, in every build, the inputs fuzzing once found failing
// (fuzz/regressions/<target>/) and the hand-made seeds the fuzzers start
// from (fuzz/corpus/<target>/), each through the check of its target.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/file_harness.h"
#include "fuzz/fuzz_harness.h"
#include "fuzz/kept_inputs.h"
#include "fuzz/terminal_harness.h"

namespace {

struct target {
  const char* name;
  std::string (*check)(std::string_view);
};
const target targets[] = {
    {"line_reader", check_line_reader},
    {"train_reader", check_train_reader},
    {"compile", check_compile},
    {"track_file", check_track_file},
    {"table_file", check_table_file},
    {"profile_file", check_profile_file},
    {"terminal_text", check_terminal_text},
};

TEST(fuzz_inputs, every_seed_and_every_kept_finding_passes) {
  const std::filesystem::path fuzz_dir =
      std::filesystem::path(FUZZ_REGRESSIONS_DIR).parent_path();
  for (const target& t : targets) {
    const std::vector<std::filesystem::path> inputs =
        kept_inputs(fuzz_dir, t.name);
    EXPECT_FALSE(inputs.empty()) << t.name;
    for (const std::filesystem::path& file : inputs) {
      SCOPED_TRACE(file.string());
      EXPECT_EQ(t.check(file_contents(file)), "");
    }
  }
}

// The hand-made seeds of the file targets are files the decoders accept, so
// the fuzzers start from real files (a refused seed would test nothing past
// the first check); one byte more makes a file the writers never write,
// which is refused, not misread. What the fuzzers kept may be refused: the
// check above holds it to the round trip when it is not.
TEST(fuzz_inputs, every_file_seed_decodes_and_comes_back) {
  const std::filesystem::path corpus =
      std::filesystem::path(FUZZ_REGRESSIONS_DIR).parent_path() / "corpus";
  const auto seeds = [&](const char* target) {
    std::vector<std::filesystem::path> kept;
    for (const auto& file : files_under(corpus / target))
      if (made_by_hand(file)) kept.push_back(file);
    EXPECT_FALSE(kept.empty()) << target;
    return kept;
  };
  track_grid grid;
  line_table table;
  curve_table curves;
  for (const auto& file : seeds("track_file")) {
    EXPECT_TRUE(decode_track(file_contents(file), grid).ok()) << file;
    EXPECT_FALSE(decode_track(file_contents(file) + "x", grid).ok()) << file;
  }
  for (const auto& file : seeds("table_file"))
    EXPECT_TRUE(decode_line_table(file_contents(file), table).ok()) << file;
  for (const auto& file : seeds("profile_file"))
    EXPECT_TRUE(decode_line_profile(file_contents(file), curves).ok()) << file;
}

// The checks themselves must see a fault when there is one: a train source
// the line reader left behind although it read the whole line source.
TEST(fuzz_inputs, checks_catch_a_source_left_behind) {
  memory_disk disk;
  compile_context ctx = make_memory_context(disk);
  disk.files[train_source_name(ctx)] = "[generale]\r\n";
  EXPECT_EQ(check_sources(ctx, disk),
            "the train source is left behind with error 0");
  ctx.error_code = 6;
  EXPECT_EQ(check_sources(ctx, disk), "");
}

// The output check reads a line profile image with the decoder the tools
// use: a damaged image, or one whose entry count does not match the plan, is
// a fault.
TEST(fuzz_inputs, checks_catch_a_damaged_profile) {
  curve_table curves;
  allocate_curve_table(curves, 1);  // four entries
  ASSERT_TRUE(set_curve_int16(curves, 1, 1, 1));
  ASSERT_TRUE(set_curve_real(curves, 0, 1, 0.5));
  const std::vector<std::uint8_t> image = line_profile_bytes(curves);
  const std::string good(image.begin(), image.end());
  std::string bad_tag = good;
  bad_tag[0] = '\x07';
  const struct {
    std::string bytes;
    std::int32_t last_metre;
    const char* says;  // empty: passes
  } cases[] = {
      {good, 1, ""},
      {bad_tag, 1, "unknown tag 7"},
      {good.substr(0, good.size() - 1), 1, "cut short"},
      {good, 2, "a profile of 4 entries"},
      {"", -1, ""},  // no plan, no entries
      {"", 0, "empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    const std::string fault = check_profile_image(c.bytes, c.last_metre);
    if (*c.says == '\0') {
      EXPECT_EQ(fault, "");
    } else {
      EXPECT_NE(fault.find(c.says), std::string::npos) << fault;
    }
  }
}

}  // namespace
