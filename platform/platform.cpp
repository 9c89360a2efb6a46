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

bool name_taken(const platform_files& files, std::string_view name) {
  if (files.memory != nullptr) return memory_file_exists(*files.memory, name);
  return os_name_taken(join_path(files.directory, name));
}

step_result read_file(const platform_files& files, std::string_view name,
                      std::string& out, std::uint64_t max_bytes) {
  if (hook_names(files.fail_read, name))
    return injected_fault(files, "read", name, os_error::input_output);
  if (files.memory == nullptr)
    return os_read_file(join_path(files.directory, name), out, max_bytes);
  step_result r = memory_read_file(*files.memory, name, out);
  if (r.ok() && out.size() > max_bytes) {
    out.clear();
    return step_fail(step_code::file_fault,
                     memory_fault_detail("read", name, "too large"));
  }
  return r;
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

namespace {

// Joins names for a message: "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += names[i];
  }
  return text;
}

// Undoes the first `renamed` renames of a set whose next rename failed:
// each earlier file goes back over its name, and a name that held none is
// emptied again. Returns what the message adds.
std::string put_back(const platform_files& files,
                     const std::vector<staged_file>& set,
                     const std::vector<std::string>& kept,
                     std::size_t renamed) {
  std::vector<std::string> restored;
  std::vector<std::string> emptied;
  std::string lost;
  for (std::size_t i = 0; i < renamed; ++i) {
    const std::string path = join_path(files.directory, set[i].name);
    const step_result r = kept[i].empty() ? os_remove_file(path)
                                          : os_put_back_file(kept[i], path);
    if (!r.ok())
      lost += "; " + r.detail +
              (kept[i].empty() ? "" : " (the earlier file is " + kept[i] + ")");
    else
      (kept[i].empty() ? emptied : restored).push_back(set[i].name);
  }
  std::string text;
  if (!restored.empty())
    text += "; the earlier " + listed(restored) +
            (restored.size() == 1 ? " was" : " were") + " put back";
  if (!emptied.empty())
    text += "; " + listed(emptied) + (emptied.size() == 1 ? " was" : " were") +
            " removed again, as before";
  if (renamed == 0) text += "; no file was replaced";
  return text + lost;
}

}  // namespace

step_result commit_staged(const platform_files& files) {
  if (files.staged == nullptr) return step_ok();
  std::vector<staged_file>& set = *files.staged;
  if (files.memory != nullptr) {
    // A memory disk replaces the set in one step, after the hook's check.
    for (const staged_file& f : set) {
      if (!hook_names(files.fail_rename, f.name)) continue;
      step_result r =
          injected_fault(files, "replace", f.name, os_error::access_denied);
      set.clear();
      r.detail += "; no file was replaced";
      return r;
    }
    for (staged_file& f : set)
      memory_replace_file(*files.memory, f.name, std::move(f.bytes));
    set.clear();
    return step_ok();
  }
  std::vector<std::string> kept(set.size());
  step_result r = step_ok();
  std::size_t renamed = 0;
  for (; renamed < set.size(); ++renamed) {
    staged_file& f = set[renamed];
    const std::string path = join_path(files.directory, f.name);
    r = os_keep_earlier_file(path, kept[renamed]);
    if (r.ok() && hook_names(files.fail_rename, f.name)) {
      os_remove_temp_file(f.temp);
      r = injected_fault(files, "replace", f.name, os_error::access_denied);
    } else if (r.ok()) {
      r = os_rename_temp_file(f.temp, path);  // the temporary file goes
    } else {
      os_remove_temp_file(f.temp);
    }
    f.temp.clear();
    if (!r.ok()) break;
  }
  if (!r.ok()) {
    // The failed file's own name still holds its earlier file.
    if (!kept[renamed].empty()) os_remove_temp_file(kept[renamed]);
    kept[renamed].clear();
    for (std::size_t i = renamed + 1; i < set.size(); ++i)
      os_remove_temp_file(set[i].temp);
    r.detail += put_back(files, set, kept, renamed);
  } else {
    for (const std::string& earlier : kept)
      if (!earlier.empty()) os_remove_temp_file(earlier);
  }
  set.clear();
  return r;
}

void discard_staged(const platform_files& files) {
  if (files.staged == nullptr) return;
  if (files.memory == nullptr)
    for (const staged_file& f : *files.staged) os_remove_temp_file(f.temp);
  files.staged->clear();
}

step_result finish_staged(const platform_files& files, step_result written) {
  if (written.ok()) return commit_staged(files);
  discard_staged(files);
  written.detail += "; nothing written";
  return written;
}

folder_lock::~folder_lock() {
  if (handle != -1) os_unlock_folder(*this);
}

step_result lock_folder(const platform_files& files, int wait_ms,
                        folder_lock& lock) {
  if (files.memory != nullptr) return step_ok();
  return os_lock_folder(files.directory.empty() ? "." : files.directory,
                        wait_ms, lock);
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
