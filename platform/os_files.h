// The operating system's side of the file functions of platform.h, one
// implementation per OS (platform_posix.cpp, platform_win32.cpp). These are
// plain OS code on full paths: the fault hooks and the memory disk are dealt
// with once, in platform.cpp, before any of them is called. Only this folder
// includes this header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/step_result.h"
#include "platform/platform.h"

// The OS errors the fault hooks stand in for.
enum class os_error {
  input_output,   // a read the device could not complete
  access_denied,  // a remove the OS refused
  disk_full,      // a write that ran out of space
};

// A regular file (not a directory) is at `path`.
bool os_file_exists(const std::string& path);

// Something, a link included, is at `path`.
bool os_name_taken(const std::string& path);

// Reads the whole file into `out` when it is a regular file of at most
// `max_bytes` (platform.h).
step_result os_read_file(const std::string& path, std::string& out,
                         std::uint64_t max_bytes);

// Writes the content, a piece at a time as it comes (platform.h), to a new
// temporary file beside `path`, flushed to the device when `flush` is set,
// and names it in `temp`; on any failure the temporary file goes and `path`
// stays as it was. With `torn_write` the write stops halfway through the
// first piece and fails as a full disk would: the worst moment for a file
// replaced in place, which is what the fail_create hook must show the
// earlier file surviving.
step_result os_write_temp_file(const std::string& path,
                               piecewise_content content, bool flush,
                               bool torn_write, std::string& temp);

// Renames the temporary file `temp` over `path` in one step; on failure the
// temporary file goes and `path` stays as it was.
step_result os_rename_temp_file(const std::string& temp,
                                const std::string& path);

// Removes a temporary file that will not be renamed.
void os_remove_temp_file(const std::string& temp);

// Gives the file at `path`, if any, a second name, a new temporary one
// beside it, in `kept` (left empty when nothing is at `path`), so that it
// outlives a rename over `path`. A hard link where the file system has them,
// a copy otherwise.
step_result os_keep_earlier_file(const std::string& path, std::string& kept);

// Renames the kept earlier file back over `path`. Unlike
// os_rename_temp_file, a failure leaves `kept` where it is.
step_result os_put_back_file(const std::string& kept, const std::string& path);

// Takes the lock of the folder `dir`, waiting up to `wait_ms`; the handle
// goes into `lock`.
step_result os_lock_folder(const std::string& dir, int wait_ms,
                           folder_lock& lock);
void os_unlock_folder(folder_lock& lock);

// The file's last modification time in the OS's own steps (nanoseconds on
// POSIX, 100 ns on Windows); false when it cannot be told.
bool os_modified_time(const std::string& path, std::int64_t& when);

// Removes the file; a file that does not exist is not an error.
step_result os_remove_file(const std::string& path);

// The fault `operation` on `path` (e.g. "read") fails with when the OS
// reports `error`, worded as every other fault of this OS is.
step_result os_fault(const char* operation, const std::string& path,
                     os_error error);
