// POSIX backend of the platform seam: the OS side of the file functions
// (os_files.h), the executable directory, paths, the wait window and the
// message box.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>

#include "platform/os_files.h"
#include "platform/platform.h"

namespace {

std::string describe(const char* operation, const std::string& path, int err) {
  return std::string("cannot ") + operation + " " + path + ": " +
         std::strerror(err);
}

// Writes all of `data`; a short write is retried, an error ends it.
bool write_all(int fd, const std::uint8_t* data, std::size_t size, int& err) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Twelve letters and digits nobody can predict, from the kernel's random
// source. Should that source fail, the name is still unique enough to be
// tried: the exclusive create below is what keeps the file safe, the
// randomness only keeps others from taking the name first.
std::string random_token() {
  static const char alphabet[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[12] = {};
  std::size_t got = 0;
  while (got < sizeof bytes) {
    ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (got < sizeof bytes) {
    static unsigned counter = 0;
    unsigned long seed = static_cast<unsigned long>(::getpid()) * 2654435761u +
                         static_cast<unsigned long>(::time(nullptr)) +
                         ++counter;
    for (unsigned char& b : bytes) {
      seed = seed * 6364136223846793005u + 1442695040888963407u;
      b = static_cast<unsigned char>(seed >> 33);
    }
  }
  std::string token;
  for (unsigned char b : bytes) token += alphabet[b % (sizeof alphabet - 1)];
  return token;
}

// Creates a new, empty temporary file beside `path`, at a name unique to this
// call: `path` + "." + random token + ".tmp". The create is exclusive and
// never follows a link, so nothing planted in the folder, a link or a file,
// can steer the write elsewhere; a name found taken is simply not used. The
// mode is the one a plain create gets, 0666 less the umask.
int create_temp_file(const std::string& path, std::string& temp, int& err) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = path + "." + random_token() + ".tmp";
    int fd = ::open(temp.c_str(),
                    O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    err = errno;
    if (err != EEXIST && err != EINTR) return -1;
  }
  return -1;
}

}  // namespace

std::string executable_directory() {
  std::string buffer(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return "";
  buffer.resize(static_cast<std::size_t>(n));
  std::size_t slash = buffer.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return buffer.substr(0, slash);
}

std::string join_path(std::string_view dir, std::string_view name) {
  std::string path(dir);
  path += '/';
  path += name;
  return path;
}

bool os_file_exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool os_name_taken(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

step_result os_read_file(const std::string& path, std::string& out,
                         std::uint64_t max_bytes) {
  // Opened without waiting: a FIFO opened to read waits for a writer, and
  // must be refused instead, as the check below does once it is open.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return step_fail(step_code::file_fault, describe("open", path, errno));
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    return step_fail(step_code::file_fault, describe("read", path, err));
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return step_fail(step_code::file_fault,
                     "cannot read " + path +
                         ": not a regular file (a folder, a pipe or a device)");
  }
  const auto too_large = [&] {
    ::close(fd);
    return step_fail(step_code::file_fault,
                     "cannot read " + path + ": larger than " +
                         std::to_string(max_bytes) + " bytes");
  };
  if (static_cast<std::uint64_t>(st.st_size) > max_bytes) return too_large();
  out.clear();
  out.reserve(static_cast<std::size_t>(st.st_size));
  char chunk[65536];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      return step_fail(step_code::file_fault, describe("read", path, err));
    }
    if (n == 0) break;
    // The file may grow while it is read: the bound holds all the same.
    if (out.size() + static_cast<std::size_t>(n) > max_bytes) {
      out.clear();
      return too_large();
    }
    out.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return step_ok();
}

step_result os_rename_temp_file(const std::string& temp,
                                const std::string& path) {
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    return step_fail(step_code::file_fault, describe("replace", path, err));
  }
  return step_ok();
}

void os_remove_temp_file(const std::string& temp) { ::unlink(temp.c_str()); }

step_result os_keep_earlier_file(const std::string& path, std::string& kept) {
  kept.clear();
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return step_ok();  // nothing to keep
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = path + "." + random_token() + ".tmp";
    // linkat without AT_SYMLINK_FOLLOW names a link itself, not its target.
    if (::linkat(AT_FDCWD, path.c_str(), AT_FDCWD, name.c_str(), 0) == 0) {
      kept = name;
      return step_ok();
    }
    if (errno == EEXIST) continue;
    if (errno != EPERM && errno != EXDEV && errno != ENOTSUP &&
        errno != EMLINK && errno != ENOSYS)
      return step_fail(step_code::file_fault,
                       describe("keep the earlier", path, errno));
    break;
  }
  // A file system without hard links: a copy of the earlier bytes, never
  // flushed, since it only lives until the set is replaced.
  int err = 0;
  const int from = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (from < 0)
    return step_fail(step_code::file_fault,
                     describe("keep the earlier", path, errno));
  const int to = create_temp_file(path, kept, err);
  bool copied = to >= 0;
  char chunk[65536];
  while (copied) {
    const ssize_t n = ::read(from, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      copied = n == 0;
      err = errno;
      break;
    }
    copied = write_all(to, reinterpret_cast<const std::uint8_t*>(chunk),
                       static_cast<std::size_t>(n), err);
  }
  ::close(from);
  if (to >= 0 && ::close(to) != 0 && copied) {
    copied = false;
    err = errno;
  }
  if (!copied) {
    if (to >= 0) ::unlink(kept.c_str());
    kept.clear();
    return step_fail(step_code::file_fault,
                     describe("keep the earlier", path, err));
  }
  return step_ok();
}

step_result os_put_back_file(const std::string& kept, const std::string& path) {
  if (::rename(kept.c_str(), path.c_str()) != 0)
    return step_fail(step_code::file_fault,
                     describe("put back the earlier", path, errno));
  return step_ok();
}

step_result os_lock_folder(const std::string& dir, int wait_ms,
                           folder_lock& lock) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return step_fail(step_code::file_fault, describe("lock", dir, errno));
  // flock on the folder itself: no lock file to leave behind, and the
  // kernel lets go of it when the process ends, however it ends.
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      lock.handle = fd;
      return step_ok();
    }
    const int err = errno;
    if ((err != EWOULDBLOCK && err != EINTR) ||
        std::chrono::steady_clock::now() >= deadline) {
      ::close(fd);
      if (err != EWOULDBLOCK && err != EINTR)
        return step_fail(step_code::file_fault, describe("lock", dir, err));
      return step_fail(step_code::file_fault,
                       "cannot lock " + dir + ": another run has held it for " +
                           std::to_string(wait_ms / 1000) +
                           " s; nothing was written");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void os_unlock_folder(folder_lock& lock) {
  ::close(static_cast<int>(lock.handle));  // closing lets go of the lock
  lock.handle = -1;
}

bool os_modified_time(const std::string& path, std::int64_t& when) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  when = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 +
         st.st_mtim.tv_nsec;
  return true;
}

step_result os_write_temp_file(const std::string& path,
                               piecewise_content content, bool flush,
                               bool torn_write, std::string& temp) {
  // A write past the process's file size limit (ulimit -f) raises SIGXFSZ,
  // which kills the process at once, leaving its temporary file behind and
  // saying nothing. Ignored, the write fails with EFBIG instead, and the
  // fault is handled as any other: a message, the temporary file removed,
  // the earlier file kept. Set once, before the first write.
  static const bool size_signal_ignored = [] {
    (void)std::signal(SIGXFSZ, SIG_IGN);
    return true;
  }();
  (void)size_signal_ignored;
  int err = 0;
  int fd = create_temp_file(path, temp, err);
  if (fd < 0)
    return step_fail(step_code::file_fault,
                     describe("create a temporary file for", path, err));

  bool written = true;
  std::vector<std::uint8_t> piece;
  off_t size = 0;
  off_t started = 0;  // bytes the disk has been asked to write already
  while (written) {
    piece.clear();
    content.next(content.state, piece);
    if (piece.empty()) break;
    if (torn_write) {
      // Half the first piece, then a full disk (see os_files.h).
      (void)write_all(fd, piece.data(), piece.size() / 2, err);
      written = false;
      err = ENOSPC;
    } else {
      written = write_all(fd, piece.data(), piece.size(), err);
    }
    size += static_cast<off_t>(piece.size());
#ifdef SYNC_FILE_RANGE_WRITE
    // A file that will be flushed anyway is sent on its way to the disk a
    // megabyte at a time, while the next pieces are made, instead of all of
    // it at the flush. Only a start: the flush below still waits for all.
    if (written && flush && size - started >= (off_t{1} << 20)) {
      (void)::sync_file_range(fd, started, size - started,
                              SYNC_FILE_RANGE_WRITE);
      started = size;
    }
#endif
  }
  if (written && torn_write) {
    // Content without a piece (an empty file) fails all the same.
    written = false;
    err = ENOSPC;
  }
  if (written && flush && ::fsync(fd) != 0) {
    written = false;
    err = errno;
  }
  if (::close(fd) != 0 && written) {
    written = false;
    err = errno;
  }
  if (!written) {
    ::unlink(temp.c_str());
    return step_fail(step_code::file_fault, describe("write", path, err));
  }
  return step_ok();
}

step_result os_remove_file(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT)
    return step_fail(step_code::file_fault, describe("remove", path, errno));
  return step_ok();
}

step_result os_fault(const char* operation, const std::string& path,
                     os_error error) {
  int err = EIO;
  switch (error) {
    case os_error::input_output:
      err = EIO;
      break;
    case os_error::access_denied:
      err = EACCES;
      break;
    case os_error::disk_full:
      err = ENOSPC;
      break;
  }
  return step_fail(step_code::file_fault, describe(operation, path, err));
}

void advise_large_block(void* start, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  // madvise takes whole pages: the advice covers the pages that lie wholly
  // inside the block.
  const std::uintptr_t page =
      static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const std::uintptr_t from =
      (reinterpret_cast<std::uintptr_t>(start) + page - 1) / page * page;
  const std::uintptr_t to =
      (reinterpret_cast<std::uintptr_t>(start) + bytes) / page * page;
  if (to > from)
    (void)::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
  (void)start;
  (void)bytes;
#endif
}

void show_wait_window(platform_files& files) {
  if (files.headless) return;
  if (::isatty(STDERR_FILENO)) std::fputs("Attendere\n", stderr);
}

void close_wait_window(platform_files&) {}

console_setup prepare_console() {
  console_setup setup;
  setup.err_is_terminal = ::isatty(STDERR_FILENO) != 0;
  setup.colour = setup.err_is_terminal;
  return setup;
}

void show_message(platform_files& files, const std::string& text) {
  if (files.headless) {
    files.messages.push_back(text);
    return;
  }
  std::fprintf(stderr, "%s\n", text.c_str());
}
