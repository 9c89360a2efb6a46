// POSIX backend of the platform seam.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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

bool file_exists(const platform_files& files, std::string_view name) {
  if (files.memory != nullptr) return memory_file_exists(files, name);
  struct stat st;
  return ::stat(join_path(files.directory, name).c_str(), &st) == 0 &&
         S_ISREG(st.st_mode);
}

step_result read_file(const platform_files& files, std::string_view name,
                      std::string& out) {
  if (files.memory != nullptr) return memory_read_file(files, name, out);
  std::string path = join_path(files.directory, name);
  if (!files.fail_read.empty() && files.fail_read == name)
    return step_fail(step_code::file_fault, describe("read", path, EIO));
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0)
    return step_fail(step_code::file_fault, describe("open", path, errno));
  out.clear();
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
    out.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return step_ok();
}

step_result replace_file(const platform_files& files, std::string_view name,
                         const std::vector<std::uint8_t>& bytes) {
  if (files.memory != nullptr) return memory_replace_file(files, name, bytes);
  std::string path = join_path(files.directory, name);
  std::string temp = path + ".tmp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0)
    return step_fail(step_code::file_fault, describe("create", temp, errno));

  int err = 0;
  bool written;
  if (!files.fail_create.empty() && files.fail_create == name) {
    // The injected fault strikes halfway through the content, the worst moment
    // for a file replaced in place.
    written = write_all(fd, bytes.data(), bytes.size() / 2, err);
    written = false;
    err = ENOSPC;
  } else {
    written = write_all(fd, bytes.data(), bytes.size(), err);
  }
  if (written && ::fsync(fd) != 0) {
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
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    err = errno;
    ::unlink(temp.c_str());
    return step_fail(step_code::file_fault, describe("replace", path, err));
  }
  return step_ok();
}

step_result remove_file(const platform_files& files, std::string_view name) {
  if (files.memory != nullptr) return memory_remove_file(files, name);
  std::string path = join_path(files.directory, name);
  if (!files.fail_remove.empty() && files.fail_remove == name)
    return step_fail(step_code::file_fault, describe("remove", path, EACCES));
  if (::unlink(path.c_str()) != 0 && errno != ENOENT)
    return step_fail(step_code::file_fault, describe("remove", path, errno));
  return step_ok();
}

void show_wait_window(platform_files& files) {
  if (files.headless) return;
  if (::isatty(STDERR_FILENO)) std::fputs("Attendere\n", stderr);
}

void close_wait_window(platform_files&) {}

void show_message(platform_files& files, const std::string& text) {
  if (files.headless) {
    files.messages.push_back(text);
    return;
  }
  std::fprintf(stderr, "%s\n", text.c_str());
}
