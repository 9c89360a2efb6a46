// The body every fuzz target shares: the input goes to the target's check,
// and a fault the check names ends the run as a finding, with its words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

using fuzz_check = std::string (*)(std::string_view);

inline int run_fuzz_check(fuzz_check check, const char* name,
                          const std::uint8_t* data, std::size_t size) {
  const std::string fault =
      check(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!fault.empty()) {
    std::fprintf(stderr, "%s: %s\n", name, fault.c_str());
    __builtin_trap();
  }
  return 0;
}
