// The floor of what the program does: each file given is copied into DIR the
// way the program replaces its outputs, durably and atomically. Its bytes go
// to a new temporary name in DIR, the temporary file is flushed to the disk
// (fsync) and renamed over DIR/NAME. A plain cp does the copy but not the
// flush, so it is no floor for a program that promises durable files.
//
//   durable_copy DIR FILE...
//
// POSIX only; a benchmark tool, not part of the program.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

// Plain C library calls only, so that the floor pays for no C++ runtime at
// start-up: it is the least a process can do to give the same files.
namespace {

char buffer[1 << 20];

int fail(const char* operation, const char* path) {
  std::fprintf(stderr, "durable_copy: cannot %s %s: %s\n", operation, path,
               std::strerror(errno));
  return 1;
}

bool write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

int copy_one(const char* from, const char* dir) {
  const char* slash = std::strrchr(from, '/');
  const char* name = slash == nullptr ? from : slash + 1;
  char to[4096];
  char temp[4096];
  const int to_size = std::snprintf(to, sizeof to, "%s/%s", dir, name);
  const int temp_size = std::snprintf(temp, sizeof temp, "%s.%ld.tmp", to,
                                      static_cast<long>(::getpid()));
  if (to_size < 0 || temp_size < 0 ||
      static_cast<std::size_t>(temp_size) >= sizeof temp) {
    errno = ENAMETOOLONG;
    return fail("name a copy of", from);
  }

  int in = ::open(from, O_RDONLY | O_CLOEXEC);
  if (in < 0) return fail("open", from);
  int out =
      ::open(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (out < 0) return fail("create", temp);
  for (;;) {
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail("read", from);
    if (n == 0) break;
    if (!write_all(out, buffer, static_cast<std::size_t>(n)))
      return fail("write", temp);
  }
  ::close(in);
  if (::fsync(out) != 0) return fail("flush", temp);
  if (::close(out) != 0) return fail("close", temp);
  if (::rename(temp, to) != 0) return fail("rename", temp);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: durable_copy DIR FILE...\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i)
    if (copy_one(argv[i], argv[1]) != 0) return 1;
  return 0;
}
