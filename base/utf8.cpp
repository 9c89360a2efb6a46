#include "base/utf8.h"

std::size_t utf8_sequence(std::string_view s, std::size_t at,
                          std::uint32_t& code) {
  const auto byte = [&](std::size_t i) {
    return static_cast<unsigned char>(s[i]);
  };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
  } else {
    return 0;
  }
  if (at + length > s.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0u) != 0x80u) return 0;
    code = (code << 6) | (byte(at + i) & 0x3Fu);
  }
  // Overlong forms, surrogates and code points past U+10FFFF are no UTF-8.
  if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) ||
      (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
    return 0;
  return length;
}
