// The inputs kept in the repository for the fuzz targets, as the tests
// replay them: the hand-made seeds of fuzz/corpus/<target>/ and everything in
// fuzz/regressions/<target>/. What a campaign merged into the corpus (named
// by its content's hash) is left to the fuzzers, which run all of it through
// the target's check at their start, CI's minute included.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::vector<std::filesystem::path> files_under(
    const std::filesystem::path& dir) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
    if (entry.is_regular_file(ec)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

inline std::string file_contents(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in),
                     std::istreambuf_iterator<char>());
}

// A fuzzer names what it keeps by the SHA-1 of its content; a seed made by
// hand has a name that says what it is.
inline bool made_by_hand(const std::filesystem::path& file) {
  const std::string name = file.filename().string();
  return name.size() != 40 ||
         name.find_first_not_of("0123456789abcdef") != std::string::npos;
}

// The seeds and the kept findings of a target; `fuzz_dir` is the repository's
// fuzz/ folder.
inline std::vector<std::filesystem::path> kept_inputs(
    const std::filesystem::path& fuzz_dir, const char* target) {
  std::vector<std::filesystem::path> inputs;
  for (const auto& file : files_under(fuzz_dir / "corpus" / target))
    if (made_by_hand(file)) inputs.push_back(file);
  for (const auto& file : files_under(fuzz_dir / "regressions" / target))
    inputs.push_back(file);
  return inputs;
}
