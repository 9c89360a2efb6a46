// A fresh directory under the system's temporary folder, removed with all it
// holds when the test ends. Whole-program tests run in one, because the files
// are the product.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

class temp_dir {
 public:
  temp_dir() {
    std::random_device seed;
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = base / ("scenario_test_" + std::to_string(seed()));
      if (std::filesystem::create_directory(path_, ec)) return;
    }
  }
  ~temp_dir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  temp_dir(const temp_dir&) = delete;
  temp_dir& operator=(const temp_dir&) = delete;

  std::string path() const { return path_.string(); }
  std::string file(const std::string& name) const {
    return (path_ / name).string();
  }

  bool contains(const std::string& name) const {
    std::error_code ec;
    return std::filesystem::exists(path_ / name, ec);
  }

  // The names of every entry in the directory.
  std::set<std::string> names() const {
    std::set<std::string> result;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(path_, ec))
      result.insert(entry.path().filename().string());
    return result;
  }

  std::string read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in),
                       std::istreambuf_iterator<char>());
  }

  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    out << bytes;
  }

 private:
  std::filesystem::path path_;
};
