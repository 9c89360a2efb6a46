// The train reader: the input is the train source, read over the grid of the
// embedded line, followed by the marker pass.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::string fault = check_train_reader(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (!fault.empty()) {
    std::fprintf(stderr, "check_train_reader: %s\n", fault.c_str());
    __builtin_trap();
  }
  return 0;
}
