#include "platform/memory_disk.h"

#include <utility>

std::string memory_fault_detail(const char* operation, std::string_view name,
                                const char* why) {
  return std::string("cannot ") + operation + " " + std::string(name) +
         " (in memory): " + why;
}

bool memory_file_exists(const memory_disk& disk, std::string_view name) {
  return disk.files.find(name) != disk.files.end() ||
         disk.unreadable.find(name) != disk.unreadable.end();
}

step_result memory_read_file(const memory_disk& disk, std::string_view name,
                             std::string& out) {
  auto fault = disk.unreadable.find(name);
  if (fault != disk.unreadable.end())
    return step_fail(step_code::file_fault, fault->second);
  auto it = disk.files.find(name);
  if (it == disk.files.end())
    return step_fail(step_code::file_fault,
                     memory_fault_detail("open", name, "no such file"));
  out = it->second;
  return step_ok();
}

void memory_replace_file(memory_disk& disk, std::string_view name,
                         const std::vector<std::uint8_t>& bytes) {
  memory_replace_file(disk, name, std::string(bytes.begin(), bytes.end()));
}

void memory_replace_file(memory_disk& disk, std::string_view name,
                         std::string&& bytes) {
  auto fault = disk.unreadable.find(name);
  if (fault != disk.unreadable.end()) disk.unreadable.erase(fault);
  disk.files[std::string(name)] = std::move(bytes);
}

void memory_remove_file(memory_disk& disk, std::string_view name) {
  auto it = disk.files.find(name);
  if (it != disk.files.end()) disk.files.erase(it);
  auto fault = disk.unreadable.find(name);
  if (fault != disk.unreadable.end()) disk.unreadable.erase(fault);
}
