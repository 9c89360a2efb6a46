// Links planted in a folder at the names a run writes, to show that no write
// goes through them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "test/temp_dir.h"

// Links planted in `dir` at each name and at each name + ".tmp", the fixed
// temporary name of earlier builds, each to its own file in `victims`.
struct planted_links {
  std::map<std::string, std::string> target_of;  // link name -> target path

  planted_links(const temp_dir& dir, const temp_dir& victims,
                const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      for (const std::string& link : {name, name + ".tmp"}) {
        std::string target = victims.file("victim " + link);
        victims.write("victim " + link, "precious");
        std::error_code ec;
        std::filesystem::create_symlink(target, dir.file(link), ec);
        EXPECT_FALSE(ec) << link;
        target_of[link] = target;
      }
    }
  }

  // Every target still holds what it held; the links at temporary names are
  // still there, untouched.
  void expect_untouched(const temp_dir& dir, const temp_dir& victims) const {
    for (const auto& [link, target] : target_of) {
      SCOPED_TRACE(link);
      // Compared as a flag: a redirected write would print megabytes.
      EXPECT_TRUE(
          victims.read(std::filesystem::path(target).filename().string()) ==
          "precious");
      if (link.size() > 4 && link.compare(link.size() - 4, 4, ".tmp") == 0) {
        std::error_code ec;
        EXPECT_TRUE(std::filesystem::is_symlink(dir.file(link), ec));
      }
    }
  }
};

inline bool is_regular_file(const temp_dir& dir, const std::string& name) {
  std::error_code ec;
  return std::filesystem::symlink_status(dir.file(name), ec).type() ==
         std::filesystem::file_type::regular;
}

// Names in `dir` that are neither expected nor a planted temporary link.
inline std::set<std::string> unexpected_names(
    const temp_dir& dir, const std::set<std::string>& expected,
    const planted_links& links) {
  std::set<std::string> extra;
  for (const std::string& name : dir.names())
    if (expected.count(name) == 0 &&
        (links.target_of.count(name) == 0 || name.size() < 4 ||
         name.compare(name.size() - 4, 4, ".tmp") != 0))
      extra.insert(name);
  return extra;
}
