// The whole compile step: the input is the line source and the train source,
// separated by a line holding "===="; compiled with the plan (write_flag 1)
// when it begins with "+".
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_entry.h"
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return run_fuzz_check(check_compile, "check_compile", data, size);
}
