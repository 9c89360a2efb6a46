// The plot of a set of binary files: the track file, the line table and
// the line profile, any bytes in each.
#include <cstddef>
#include <cstdint>

#include "fuzz/file_view_harness.h"
#include "fuzz/fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return run_fuzz_check(check_plot, "check_plot", data, size);
}
