// The language server: the input is the byte stream an editor would send,
// after an initialize request.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz/lsp_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::string fault = check_lsp_session(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (!fault.empty()) {
    std::fprintf(stderr, "check_lsp_session: %s\n", fault.c_str());
    __builtin_trap();
  }
  return 0;
}
