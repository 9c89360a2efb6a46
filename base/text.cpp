#include "base/text.h"

#include <algorithm>
#include <iterator>

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

bool is_utf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    std::uint32_t code = 0;
    const std::size_t n = utf8_sequence(s, i, code);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

void append_latin1_as_utf8(std::string& out, unsigned char byte) {
  if (byte < 0x80) {
    out += static_cast<char>(byte);
    return;
  }
  out += static_cast<char>(0xC0 | (byte >> 6));
  out += static_cast<char>(0x80 | (byte & 0x3F));
}

std::string latin1_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes)
    append_latin1_as_utf8(out, static_cast<unsigned char>(c));
  return out;
}

single_byte_conversion convert_to_single_bytes(std::string_view utf8,
                                               char stand_in) {
  single_byte_conversion out;
  out.bytes.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto first = static_cast<unsigned char>(utf8[i]);
    std::uint32_t code = first;
    const std::size_t n = first < 0x80 ? 1 : utf8_sequence(utf8, i, code);
    if (n == 0) {
      if (out.first_not_utf8 == std::string_view::npos) out.first_not_utf8 = i;
      out.bytes += utf8[i];
      ++i;
      continue;
    }
    if (code <= 0xFF) {
      out.bytes += static_cast<char>(static_cast<unsigned char>(code));
    } else {
      out.unheld.push_back(
          {i, out.bytes.size(), std::string(utf8.substr(i, n)), code});
      out.bytes += stand_in;
    }
    i += n;
  }
  return out;
}

line_index index_lines(std::string_view text) {
  line_index lines;
  lines.begins.push_back(0);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.ends.push_back(i);
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    lines.begins.push_back(i + 1);
  }
  lines.ends.push_back(text.size());
  return lines;
}

std::string_view line_text(std::string_view text, const line_index& lines,
                           std::size_t line) {
  if (line >= line_count(lines)) return {};
  return text.substr(lines.begins[line], lines.ends[line] - lines.begins[line]);
}

line_column line_column_of(const line_index& lines, std::size_t offset) {
  // The last line that begins at or before the offset.
  const auto after =
      std::upper_bound(lines.begins.begin(), lines.begins.end(), offset);
  const auto line =
      static_cast<std::size_t>(std::distance(lines.begins.begin(), after)) - 1;
  return {line, offset - lines.begins[line]};
}
