// The language server: the input is the byte stream an editor would send,
// after an initialize request.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_entry.h"
#include "fuzz/lsp_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return run_fuzz_check(check_lsp_session, "check_lsp_session", data, size);
}
