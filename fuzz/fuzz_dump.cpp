// The dump of a binary file, as text and as JSON, and the file packed back
// from that JSON: a kind byte and any bytes in.
#include <cstddef>
#include <cstdint>

#include "fuzz/file_view_harness.h"
#include "fuzz/fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return run_fuzz_check(check_dump, "check_dump", data, size);
}
