// The line reader: the input is the line source; the train source has no rows.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::string fault = check_line_reader(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (!fault.empty()) {
    std::fprintf(stderr, "check_line_reader: %s\n", fault.c_str());
    __builtin_trap();
  }
  return 0;
}
