#include "platform/memory_disk.h"

#include "platform/platform.h"

namespace {

std::string describe(const char* operation, std::string_view name,
                     const char* why) {
  return std::string("cannot ") + operation + " " + std::string(name) +
         " (in memory): " + why;
}

}  // namespace

bool memory_file_exists(const platform_files& files, std::string_view name) {
  return files.memory->files.find(name) != files.memory->files.end();
}

step_result memory_read_file(const platform_files& files, std::string_view name,
                             std::string& out) {
  if (!files.fail_read.empty() && files.fail_read == name)
    return step_fail(step_code::file_fault,
                     describe("read", name, "input/output error"));
  auto it = files.memory->files.find(name);
  if (it == files.memory->files.end())
    return step_fail(step_code::file_fault,
                     describe("open", name, "no such file"));
  out = it->second;
  return step_ok();
}

step_result memory_replace_file(const platform_files& files,
                                std::string_view name,
                                const std::vector<std::uint8_t>& bytes) {
  // As on disk, a failed replace leaves the earlier content as it was.
  if (!files.fail_create.empty() && files.fail_create == name)
    return step_fail(step_code::file_fault,
                     describe("write", name, "no space left"));
  files.memory->files[std::string(name)] =
      std::string(bytes.begin(), bytes.end());
  return step_ok();
}

step_result memory_remove_file(const platform_files& files,
                               std::string_view name) {
  if (!files.fail_remove.empty() && files.fail_remove == name)
    return step_fail(step_code::file_fault,
                     describe("remove", name, "permission denied"));
  auto it = files.memory->files.find(name);
  if (it != files.memory->files.end()) files.memory->files.erase(it);
  return step_ok();
}
