// Files held in memory instead of on disk. A run whose `platform_files` points
// at a memory disk reads and writes only there: the authors' check mode
// compiles without touching their folder, and fuzz targets run whole compiles
// without any disk traffic. The fault hooks of `platform_files` apply as they
// do on disk.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/step_result.h"

struct platform_files;

struct memory_disk {
  std::map<std::string, std::string, std::less<>> files;  // bare name: bytes
};

bool memory_file_exists(const platform_files& files, std::string_view name);
step_result memory_read_file(const platform_files& files, std::string_view name,
                             std::string& out);
step_result memory_replace_file(const platform_files& files,
                                std::string_view name,
                                const std::vector<std::uint8_t>& bytes);
step_result memory_remove_file(const platform_files& files,
                               std::string_view name);
