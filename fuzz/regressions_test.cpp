// Replays, in every build, the inputs fuzzing once found failing
// (fuzz/regressions/<target>/) and the seeds the fuzzers start from
// (fuzz/corpus/<target>/), each through the check of its target.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_harness.h"

namespace {

std::vector<std::filesystem::path> files_under(
    const std::filesystem::path& dir) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
    if (entry.is_regular_file(ec)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string contents(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in),
                     std::istreambuf_iterator<char>());
}

struct target {
  const char* name;
  std::string (*check)(std::string_view);
};
const target targets[] = {
    {"line_reader", check_line_reader},
    {"train_reader", check_train_reader},
    {"compile", check_compile},
};

// Runs every file of <root>/<target> through its target's check; returns how
// many files there were.
std::size_t replay(const std::filesystem::path& root) {
  std::size_t count = 0;
  for (const target& t : targets) {
    for (const std::filesystem::path& file : files_under(root / t.name)) {
      SCOPED_TRACE(file.string());
      EXPECT_EQ(t.check(contents(file)), "");
      ++count;
    }
  }
  return count;
}

TEST(fuzz_inputs, every_seed_and_every_kept_finding_passes) {
  const std::filesystem::path regressions(FUZZ_REGRESSIONS_DIR);
  EXPECT_GT(replay(regressions.parent_path() / "corpus"), 0u);
  (void)replay(regressions);
}

// The checks themselves must see a fault when there is one: a train source
// the line reader left behind although it read the whole line source.
TEST(fuzz_inputs, checks_catch_a_source_left_behind) {
  memory_disk disk;
  compile_context ctx = memory_context(disk);
  disk.files[train_source_name(ctx)] = "[generale]\r\n";
  EXPECT_EQ(check_sources(ctx, disk),
            "the train source is left behind with error 0");
  ctx.error_code = 6;
  EXPECT_EQ(check_sources(ctx, disk), "");
}

}  // namespace
