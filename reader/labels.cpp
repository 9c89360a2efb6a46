#include "reader/labels.h"

#include <cstdint>

#include "base/text.h"
#include "model/compile_context.h"
#include "model/stored_values.h"
#include "reader/field_reader.h"
#include "reader/row_notes.h"

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

void take_label(compile_context& ctx, const source_cursor& cur,
                const char* what, std::string& label) {
  if (classify_label(label) != label_bytes::utf8) return;
  const std::string as_written = "'" + label + "'";
  if (ctx.input_encoding == label_encoding::utf8) {
    std::string single, bad;
    if (utf8_to_single_bytes(label, single, bad)) {
      label = single;
      return;
    }
    note_at_field(ctx.notes, cur,
                  std::string(what) + " " + as_written + " holds '" + bad +
                      "', which has no single-byte form: labels are stored "
                      "one byte per character, from U+0000 to U+00FF",
                  true);
    return;
  }
  note_at_field(ctx.notes, cur,
                std::string(what) + " " + as_written +
                    " is UTF-8 text: it is stored byte for byte, as " +
                    std::to_string(label.size()) + " bytes that read '" +
                    label_as_shown(label) +
                    "'; --input-encoding utf-8 stores its characters as "
                    "single bytes",
                false);
}
