// The decoder of the track file and its writer: any bytes in; what the
// decoder accepts must be written back byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz/file_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::string fault = check_track_file(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (!fault.empty()) {
    std::fprintf(stderr, "check_track_file: %s\n", fault.c_str());
    __builtin_trap();
  }
  return 0;
}
