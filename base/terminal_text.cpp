#include "base/terminal_text.h"

#include <cstddef>
#include <cstdint>

#include "base/text.h"

namespace {

void append_escaped_byte(std::string& out, unsigned char byte) {
  static constexpr char digits[] = "0123456789ABCDEF";
  out += "\\x";
  out += digits[byte >> 4];
  out += digits[byte & 0x0F];
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
    std::uint32_t code = 0;
    const std::size_t length = utf8_sequence(text, at, code);
    if (length == 0) {
      append_escaped_byte(out, byte);
      ++at;
      continue;
    }
    const std::string_view sequence = text.substr(at, length);
    if (code >= 0x80 && code <= 0x9F) {  // a C1 control
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
