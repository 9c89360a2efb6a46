// The view server's request handling: any method, path, Host and query.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_entry.h"
#include "fuzz/view_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return run_fuzz_check(check_view_request, "check_view_request", data, size);
}
