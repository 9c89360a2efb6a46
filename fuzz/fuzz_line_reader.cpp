// The line reader: the input is the line source; the train source has no rows.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_entry.h"
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return run_fuzz_check(check_line_reader, "check_line_reader", data, size);
}
