// Files held in memory instead of on disk. A run whose `platform_files` points
// at a memory disk reads and writes only there: the authors' check mode
// compiles without touching their folder, and fuzz targets run whole compiles
// without any disk traffic. The disk is a plain store; the fault hooks of
// `platform_files` are applied in front of it as they are in front of the OS.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/step_result.h"

struct memory_disk {
  std::map<std::string, std::string, std::less<>> files;  // bare name: bytes

  // Files that are there but cannot be read, as a file on disk can be: bare
  // name: the detail every read of it fails with. A replace or a remove of
  // the name ends the fault, as it would on disk.
  std::map<std::string, std::string, std::less<>> unreadable;
};

// "cannot OPERATION NAME (in memory): WHY", the wording of every fault of a
// memory disk.
std::string memory_fault_detail(const char* operation, std::string_view name,
                                const char* why);

bool memory_file_exists(const memory_disk& disk, std::string_view name);
step_result memory_read_file(const memory_disk& disk, std::string_view name,
                             std::string& out);
void memory_replace_file(memory_disk& disk, std::string_view name,
                         const std::vector<std::uint8_t>& bytes);
// The same, taking over bytes already gathered as text.
void memory_replace_file(memory_disk& disk, std::string_view name,
                         std::string&& bytes);
void memory_remove_file(memory_disk& disk, std::string_view name);
