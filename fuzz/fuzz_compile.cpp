// The whole compile step: the input is the line source and the train source,
// separated by a line holding "===="; compiled with the plan (write_flag 1)
// when it begins with "+". The outputs of a compile that went through are
// dumped as JSON and packed back, and must come back byte for byte.
#include <cstddef>
#include <cstdint>

#include "fuzz/file_view_harness.h"
#include "fuzz/fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return run_fuzz_check(check_compile_and_pack, "check_compile_and_pack", data,
                        size);
}
