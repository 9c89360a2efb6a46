// Text shown on a terminal: any bytes in; no control character out.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_entry.h"
#include "fuzz/terminal_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return run_fuzz_check(check_terminal_text, "check_terminal_text", data, size);
}
