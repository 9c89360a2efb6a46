// UTF-8 as the tool meets it in sources, labels and names: one reading of a
// sequence, shared by everything that tells UTF-8 from single-byte text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The length of the UTF-8 sequence starting at `at`, and its code point in
// `code`; 0 when no well-formed sequence of two or more bytes starts there
// (an ASCII byte, a stray continuation byte, a sequence cut short, an
// overlong form, a surrogate, a code point past U+10FFFF).
std::size_t utf8_sequence(std::string_view s, std::size_t at,
                          std::uint32_t& code);
