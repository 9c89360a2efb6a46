// The decoder of the profile file and its writer: any bytes in; what the
// decoder accepts must be written back byte for byte.
#include <cstddef>
#include <cstdint>

#include "fuzz/file_harness.h"
#include "fuzz/fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return run_fuzz_check(check_profile_file, "check_profile_file", data, size);
}
