#include "base/terminal_text.h"

#include <cstddef>
#include <cstdint>

namespace {

void append_escaped_byte(std::string& out, unsigned char byte) {
  static constexpr char digits[] = "0123456789ABCDEF";
  out += "\\x";
  out += digits[byte >> 4];
  out += digits[byte & 0x0F];
}

// The length of the valid UTF-8 sequence that starts at text[at], or 0 when
// none does: a lead byte, its continuation bytes, no overlong form, no
// surrogate and nothing above U+10FFFF.
std::size_t utf8_sequence_length(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) {
    return static_cast<unsigned char>(text[i]);
  };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  std::uint32_t code = 0;
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
  if (text.size() - at < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0u) != 0x80u) return 0;
    code = (code << 6) | (byte(at + i) & 0x3Fu);
  }
  const bool overlong =
      (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  if (overlong || surrogate || code > 0x10FFFF) return 0;
  return length;
}

bool is_c1_control(std::string_view sequence) {
  return sequence.size() == 2 &&
         static_cast<unsigned char>(sequence[0]) == 0xC2 &&
         static_cast<unsigned char>(sequence[1]) <= 0x9F;
}

}  // namespace

void append_terminal_safe(std::string& out, std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
      if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
        append_escaped_byte(out, byte);
      } else {
        out += static_cast<char>(byte);
      }
      ++at;
      continue;
    }
    const std::size_t length = utf8_sequence_length(text, at);
    if (length == 0) {
      append_escaped_byte(out, byte);
      ++at;
      continue;
    }
    const std::string_view sequence = text.substr(at, length);
    if (is_c1_control(sequence)) {
      for (const char c : sequence)
        append_escaped_byte(out, static_cast<unsigned char>(c));
    } else {
      out += sequence;
    }
    at += length;
  }
}

std::string terminal_safe(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  append_terminal_safe(out, text);
  return out;
}
