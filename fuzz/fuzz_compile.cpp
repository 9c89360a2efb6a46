// The whole compile step: the input is the line source and the train source,
// separated by a line holding "===="; compiled with the plan (write_flag 1)
// when it begins with "+".
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::string fault = check_compile(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (!fault.empty()) {
    std::fprintf(stderr, "check_compile: %s\n", fault.c_str());
    __builtin_trap();
  }
  return 0;
}
