#include "reader/labels.h"

#include <cstdint>

#include "model/compile_context.h"
#include "model/stored_values.h"
#include "reader/author_notes.h"
#include "reader/field_reader.h"

namespace {

// The length of the UTF-8 sequence starting at `at`, and its code point;
// 0 when no well-formed sequence of two or more bytes starts there.
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

}  // namespace

label_bytes classify_label(std::string_view label) {
  bool multi_byte = false;
  for (std::size_t i = 0; i < label.size();) {
    if (static_cast<unsigned char>(label[i]) < 0x80) {
      ++i;
      continue;
    }
    std::uint32_t code = 0;
    const std::size_t n = utf8_sequence(label, i, code);
    if (n == 0) return label_bytes::single_byte;
    multi_byte = true;
    i += n;
  }
  return multi_byte ? label_bytes::utf8 : label_bytes::single_byte;
}

bool utf8_to_single_bytes(std::string_view utf8, std::string& out,
                          std::string& bad) {
  out.clear();
  for (std::size_t i = 0; i < utf8.size();) {
    std::uint32_t code = static_cast<unsigned char>(utf8[i]);
    std::size_t n = 1;
    if (code >= 0x80) {
      n = utf8_sequence(utf8, i, code);
      if (n == 0) {  // not UTF-8 after all: the byte stays as it is
        n = 1;
        code = static_cast<unsigned char>(utf8[i]);
      } else if (code > 0xFF) {
        bad = std::string(utf8.substr(i, n));
        return false;
      }
    }
    out += static_cast<char>(static_cast<unsigned char>(code));
    i += n;
  }
  return true;
}

std::string label_as_shown(std::string_view stored) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : stored) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || (byte >= 0x7F && byte <= 0x9F)) {
      out += "\\x";
      out += hex[byte >> 4];
      out += hex[byte & 0x0F];
    } else {
      append_label_byte_utf8(out, byte);
    }
  }
  return out;
}

void take_label(compile_context& ctx, const author_notes& notes,
                const source_cursor& cur, const char* what,
                std::string& label) {
  if (classify_label(label) != label_bytes::utf8) return;
  const std::string as_written = "'" + label + "'";
  if (ctx.input_encoding == label_encoding::utf8) {
    std::string single, bad;
    if (utf8_to_single_bytes(label, single, bad)) {
      label = single;
      return;
    }
    note_at_field(ctx, notes, cur,
                  std::string(what) + " " + as_written + " holds '" + bad +
                      "', which has no single-byte form: labels are stored "
                      "one byte per character, from U+0000 to U+00FF",
                  true);
    return;
  }
  note_at_field(ctx, notes, cur,
                std::string(what) + " " + as_written +
                    " is UTF-8 text: it is stored byte for byte, as " +
                    std::to_string(label.size()) + " bytes that read '" +
                    label_as_shown(label) +
                    "'; --input-encoding utf-8 stores its characters as "
                    "single bytes",
                false);
}
