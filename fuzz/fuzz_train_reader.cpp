// The train reader: the input is the train source, read over the grid of the
// embedded line, followed by the marker pass.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_entry.h"
#include "fuzz/fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return run_fuzz_check(check_train_reader, "check_train_reader", data, size);
}
