// The file functions of platform.h, the same on every OS. The fault hooks are
// applied here, once; then the call goes to the memory disk when the run has
// one, and to the OS backend (os_files.h) otherwise. So a hook strikes the
// same way whatever store is behind it, and a backend is only OS code.
#include "platform/platform.h"

#include <utility>

#include "platform/os_files.h"

namespace {

// A hook names one bare file name; an empty hook names none.
bool hook_names(const std::string& hook, std::string_view name) {
  return !hook.empty() && hook == name;
}

// How the memory disk words the OS errors the hooks stand in for.
const char* memory_words(os_error error) {
  switch (error) {
    case os_error::input_output:
      return "input/output error";
    case os_error::access_denied:
      return "permission denied";
    case os_error::disk_full:
      return "no space left";
  }
  return "";
}

// The fault a hook injects, worded as the store behind `files` words its own
// faults.
step_result injected_fault(const platform_files& files, const char* operation,
                           std::string_view name, os_error error) {
  if (files.memory != nullptr)
    return step_fail(step_code::file_fault,
                     memory_fault_detail(operation, name, memory_words(error)));
  return os_fault(operation, join_path(files.directory, name), error);
}

// The one piece of a file given whole: all its bytes, then the end.
struct single_piece {
  const std::vector<std::uint8_t>* bytes;
  bool given = false;
};

void next_of_single_piece(void* state, std::vector<std::uint8_t>& piece) {
  single_piece& s = *static_cast<single_piece*>(state);
  if (!s.given) piece = *s.bytes;
  s.given = true;
}

}  // namespace

bool file_exists(const platform_files& files, std::string_view name) {
  if (files.memory != nullptr) return memory_file_exists(*files.memory, name);
  return os_file_exists(join_path(files.directory, name));
}

step_result read_file(const platform_files& files, std::string_view name,
                      std::string& out) {
  if (hook_names(files.fail_read, name))
    return injected_fault(files, "read", name, os_error::input_output);
  if (files.memory != nullptr)
    return memory_read_file(*files.memory, name, out);
  return os_read_file(join_path(files.directory, name), out);
}

namespace {

// The same name written twice in one staged set: the later content stands.
staged_file* staged_as(const platform_files& files, std::string_view name) {
  for (staged_file& earlier : *files.staged)
    if (earlier.name == name) return &earlier;
  return nullptr;
}

// Every write of a file goes here. On a memory disk the pieces are joined
// where the file will stay; on disk they go to a new temporary file, flushed
// when `flush` is set, which is then renamed over the file. A run that stages
// its files (and `may_stage`) keeps the complete file, in memory or under
// its temporary name, for commit_staged instead.
step_result write_content(const platform_files& files, std::string_view name,
                          piecewise_content content, bool flush,
                          bool may_stage) {
  const bool torn_write = hook_names(files.fail_create, name);
  const bool staging = may_stage && files.staged != nullptr;
  if (files.memory != nullptr) {
    // A torn write never reaches the memory disk's content, as a torn
    // temporary file never replaces the file on disk.
    if (torn_write)
      return injected_fault(files, "write", name, os_error::disk_full);
    std::string bytes;
    std::vector<std::uint8_t> piece;
    for (;;) {
      piece.clear();
      content.next(content.state, piece);
      if (piece.empty()) break;
      bytes.append(piece.begin(), piece.end());
    }
    if (!staging) {
      memory_replace_file(*files.memory, name, std::move(bytes));
    } else if (staged_file* earlier = staged_as(files, name)) {
      earlier->bytes = std::move(bytes);
    } else {
      files.staged->push_back({std::string(name), {}, std::move(bytes)});
    }
    return step_ok();
  }
  // On disk the fault strikes inside the write, after the temporary file has
  // been created and half filled, so that the clean-up of a real torn write
  // is what the hook exercises.
  const std::string path = join_path(files.directory, name);
  std::string temp;
  step_result r = os_write_temp_file(path, content, flush, torn_write, temp);
  if (!r.ok()) return r;
  if (!staging) return os_rename_temp_file(temp, path);
  if (staged_file* earlier = staged_as(files, name)) {
    os_remove_temp_file(earlier->temp);
    earlier->temp = temp;
  } else {
    files.staged->push_back({std::string(name), temp, {}});
  }
  return step_ok();
}

}  // namespace

step_result replace_file(const platform_files& files, std::string_view name,
                         const std::vector<std::uint8_t>& bytes) {
  single_piece state{&bytes};
  return write_content(files, name, {next_of_single_piece, &state}, true, true);
}

step_result replace_file_piecewise(const platform_files& files,
                                   std::string_view name,
                                   piecewise_content content) {
  return write_content(files, name, content, true, true);
}

step_result replace_scratch_file(const platform_files& files,
                                 std::string_view name,
                                 const std::vector<std::uint8_t>& bytes) {
  single_piece state{&bytes};
  return write_content(files, name, {next_of_single_piece, &state}, false,
                       false);
}

step_result commit_staged(const platform_files& files) {
  if (files.staged == nullptr) return step_ok();
  step_result r = step_ok();
  for (staged_file& f : *files.staged) {
    if (files.memory != nullptr) {
      memory_replace_file(*files.memory, f.name, std::move(f.bytes));
    } else if (!r.ok()) {
      os_remove_temp_file(f.temp);
    } else {
      r = os_rename_temp_file(f.temp, join_path(files.directory, f.name));
    }
  }
  files.staged->clear();
  return r;
}

void discard_staged(const platform_files& files) {
  if (files.staged == nullptr) return;
  if (files.memory == nullptr)
    for (const staged_file& f : *files.staged) os_remove_temp_file(f.temp);
  files.staged->clear();
}

bool file_modified_time(const platform_files& files, std::string_view name,
                        std::int64_t& when) {
  if (files.memory != nullptr) return false;
  return os_modified_time(join_path(files.directory, name), when);
}

step_result remove_file(const platform_files& files, std::string_view name) {
  if (hook_names(files.fail_remove, name))
    return injected_fault(files, "remove", name, os_error::access_denied);
  if (files.memory != nullptr) {
    memory_remove_file(*files.memory, name);
    return step_ok();
  }
  return os_remove_file(join_path(files.directory, name));
}
