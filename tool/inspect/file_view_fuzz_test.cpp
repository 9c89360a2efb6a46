// Replays the hand-made seeds (fuzz/corpus/<target>/) and the inputs fuzzing
// once found failing (fuzz/regressions/<target>/) of the tool's fuzz targets,
// each through its target's check: dump, plot, view, and compile with its
// outputs packed back. And shows that the checks see a fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/file_view_harness.h"
#include "fuzz/kept_inputs.h"
#include "fuzz/view_harness.h"

namespace {

std::size_t replay(const char* target, std::string (*check)(std::string_view)) {
  std::size_t count = 0;
  for (const auto& file :
       kept_inputs(std::filesystem::path(SOURCE_DIR) / "fuzz", target)) {
    SCOPED_TRACE(file.string());
    EXPECT_EQ(check(file_contents(file)), "");
    ++count;
  }
  return count;
}

TEST(file_view_fuzz, kept_inputs_pass_their_checks) {
  EXPECT_GT(replay("dump", check_dump), 0u);
  EXPECT_GT(replay("plot", check_plot), 0u);
  EXPECT_GT(replay("view", check_view_request), 0u);
  EXPECT_GT(replay("compile", check_compile_and_pack), 0u);
}

// The seeds reach past the decoders: each is a file they accept, so the
// fuzzers start where the dump, the pack and the plot run.
TEST(file_view_fuzz, seeds_are_files_the_decoders_accept) {
  const std::filesystem::path corpus =
      std::filesystem::path(SOURCE_DIR) / "fuzz" / "corpus";
  for (const char* seed :
       {"profile_small_plan", "table_small_line", "track_small_line"}) {
    SCOPED_TRACE(seed);
    const std::string input = file_contents(corpus / "dump" / seed);
    ASSERT_FALSE(input.empty());
    std::ostringstream text;
    EXPECT_TRUE(dump_text(fuzz_dump_kind(static_cast<unsigned char>(input[0])),
                          "f", std::string_view(input).substr(1), 1000, text)
                    .ok());
  }
  const std::string set = file_contents(corpus / "plot" / "small_line");
  const std::size_t cut = set.find(fuzz_file_separator);
  ASSERT_NE(cut, std::string::npos);
  track_grid grid;
  EXPECT_TRUE(decode_track(set.substr(0, cut), grid).ok());
}

// A pack that gave other bytes would be caught: the dump check compares the
// packed bytes with the file's, here with one run value changed in the JSON
// on its way back.
TEST(file_view_fuzz, the_dump_check_sees_other_bytes) {
  const std::string input =
      file_contents(std::filesystem::path(SOURCE_DIR) / "fuzz" / "corpus" /
                    "dump" / "track_small_line");
  const std::string_view bytes = std::string_view(input).substr(1);
  nlohmann::ordered_json object;
  ASSERT_TRUE(dump_json(binary_kind::track, "f", bytes, 1, object).ok());
  auto& run = object["runs"]["gradient"][0];
  run["value"] = run["value"].get<int>() ^ 1;
  std::vector<std::uint8_t> packed;
  std::string fault;
  ASSERT_TRUE(pack_object(object, packed, fault)) << fault;
  EXPECT_NE(std::string(packed.begin(), packed.end()), bytes);
}

}  // namespace
