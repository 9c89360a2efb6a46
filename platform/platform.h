// Everything the program needs from the operating system, behind a few free
// functions. Only the files in this folder include OS headers; the rest of the
// code reaches files, the wait window and the message box through here.
//
// Every file function takes the `platform_files` record: the directory the run
// works in and plain-data fault hooks that tests use to make one operation
// fail. The file functions are one front end for every OS (platform.cpp): it
// applies the hooks, then works on the memory disk when there is one and on
// the OS's files (os_files.h, one backend per OS) otherwise.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/step_result.h"
#include "platform/memory_disk.h"

// A file written in full under its temporary name and not yet renamed over
// its final name (see `platform_files::staged`).
struct staged_file {
  std::string name;   // the bare final name
  std::string temp;   // the temporary file on disk
  std::string bytes;  // the content, on a memory disk
};

struct platform_files {
  std::string directory;  // where every file of the run lives

  // Test hooks. A file operation on the named file (a bare file name) fails as
  // if the OS had refused it, on disk and in memory alike. Empty in
  // production.
  std::string fail_create;  // replace_file: fails after part of the bytes
  std::string fail_read;    // read_file
  std::string fail_remove;  // remove_file
  std::string fail_rename;  // commit_staged: the rename over this name

  bool keep_sources = false;  // never remove source files (authors' tool)

  // When set, every file lives in this memory disk instead of `directory`.
  memory_disk* memory = nullptr;

  // When set, replace_file writes each file in full under its temporary name
  // and notes it here instead of renaming it: commit_staged then renames the
  // whole set, and discard_staged removes it. So a set of files is replaced
  // only once all of them are complete, or not at all.
  std::vector<staged_file>* staged = nullptr;

  // No window and no message box: messages are collected here instead.
  bool headless = false;
  std::vector<std::string> messages;
};

// The directory of the running executable as the OS reports it; empty when the
// OS cannot tell.
std::string executable_directory();

// The full path of a bare file name in `dir`, joined with the platform's one
// separator.
std::string join_path(std::string_view dir, std::string_view name);

bool file_exists(const platform_files& files, std::string_view name);

// Something is at the name: a file, a folder, or a link, even one that
// leads nowhere. What a write would replace, where file_exists speaks of
// what a read would find.
bool name_taken(const platform_files& files, std::string_view name);

// The largest text file read: a source, or a dump in JSON. The longest line
// accepted, 1,000,000 m with a row every few metres, stays far below it.
inline constexpr std::uint64_t max_text_file_bytes = std::uint64_t{64} << 20;

// Reads the whole file into `out`. Only a regular file of at most
// `max_bytes` is read: a FIFO, a device or a folder at the name, and a larger
// file, are refused with a message naming the file before a byte is read, so
// that no input can make a reader wait forever or fill the memory.
step_result read_file(const platform_files& files, std::string_view name,
                      std::string& out,
                      std::uint64_t max_bytes = max_text_file_bytes);

// Replaces the file with exactly `bytes`. The bytes go to a temporary file in
// the same directory, which is then renamed over the old one, so a failure at
// any point leaves the earlier file as it was.
step_result replace_file(const platform_files& files, std::string_view name,
                         const std::vector<std::uint8_t>& bytes);

// A file's content handed over a piece at a time, so that a large file is
// never held whole in memory. Each call of `next` appends the next piece to
// `piece`, which it is given empty; a piece left empty ends the content.
// `state` is the producer's own: where it stands and what it reads from.
struct piecewise_content {
  void (*next)(void* state, std::vector<std::uint8_t>& piece);
  void* state;
};

// replace_file for content given a piece at a time: each piece goes to the
// temporary file as it comes, and the file is flushed and renamed over the
// old one after the last, as replace_file does. A failure at any point leaves
// the earlier file as it was.
step_result replace_file_piecewise(const platform_files& files,
                                   std::string_view name,
                                   piecewise_content content);

// replace_file for a file the run writes only to read it back and remove it
// itself: it is replaced as atomically, but never flushed to the disk, since
// no one is promised to find it after the run. A file that has to survive the
// run must go through replace_file.
step_result replace_scratch_file(const platform_files& files,
                                 std::string_view name,
                                 const std::vector<std::uint8_t>& bytes);

// Renames every file staged in files.staged over its final name, in the
// order they were written, and empties the set. The set is replaced whole or
// not at all: each earlier file keeps a second, temporary name until the last
// rename has succeeded, and when a rename is refused, the files already
// renamed are put back (a name that held no file is emptied again) and the
// message says so. Every temporary name is gone afterwards.
step_result commit_staged(const platform_files& files);

// Removes every file staged in files.staged, leaving the final names as they
// were, and empties the set.
void discard_staged(const platform_files& files);

// Ends a staged set whose writing gave `written`: commit_staged when it is
// ok, otherwise discard_staged, with "; nothing written" added to the fault.
// Returns what became of the set.
step_result finish_staged(const platform_files& files, step_result written);

// The file's last modification time, as a count of the OS's clock that only
// compares with other such counts (earlier is smaller); false when it cannot
// be told (no such file, or a memory disk, which keeps none).
bool file_modified_time(const platform_files& files, std::string_view name,
                        std::int64_t& when);

// Removes the file; a file that does not exist is not an error.
step_result remove_file(const platform_files& files, std::string_view name);

// The lock of a folder, held by one run at a time: the program and the
// compile of the authors' tool write, read and remove the same names, so two
// runs at once in one folder would mix their files. Released when it goes;
// it leaves no file behind.
struct folder_lock {
  folder_lock() = default;
  folder_lock(const folder_lock&) = delete;
  folder_lock& operator=(const folder_lock&) = delete;
  ~folder_lock();
  std::intptr_t handle = -1;  // the OS's own, -1 when not held
};

// How long a run waits for another run in its folder to end before it
// stops: far longer than any run takes.
inline constexpr int folder_lock_wait_ms = 60000;

// Takes the lock of files.directory, waiting up to `wait_ms` for a run that
// holds it; fails, naming the folder, when the wait ends first or the folder
// cannot be opened. A memory disk needs no lock.
step_result lock_folder(const platform_files& files, int wait_ms,
                        folder_lock& lock);

// A hint for a large block of memory that is about to be filled: where the
// OS has huge pages, it backs the block with them, so that touching many
// megabytes costs a few page faults instead of thousands. What the memory
// holds is the same either way.
void advise_large_block(void* start, std::size_t bytes);

// The wait window: shown and painted once before the work starts, closed when
// the run ends. It processes no events in between.
void show_wait_window(platform_files& files);
void close_wait_window(platform_files& files);

// The terminal a command-line program writes to, set up once at its start:
// whether standard error is a terminal, and whether that terminal shows
// colours. On Windows this also turns the console to UTF-8 output (the
// messages are UTF-8, labels included) and the standard streams to binary,
// so that the bytes written are those written on every other OS.
struct console_setup {
  bool err_is_terminal = false;
  bool colour = false;
};
console_setup prepare_console();

// A modal message with one OK button; returns when the user has closed it.
void show_message(platform_files& files, const std::string& text);
