// The check of the text shown on a terminal: whatever the bytes, what
// terminal_safe gives is valid UTF-8 that holds no control character but the
// tab, and text with no control character comes back as it was.
#pragma once

#include <string>
#include <string_view>

#include "base/terminal_text.h"

inline std::string check_terminal_text(std::string_view bytes) {
  const std::string shown = terminal_safe(bytes);
  for (std::size_t at = 0; at < shown.size();) {
    const auto byte = static_cast<unsigned char>(shown[at]);
    if (byte < 0x80) {
      if ((byte < 0x20 && byte != '\t') || byte == 0x7F)
        return "a control character got through at byte " + std::to_string(at);
      ++at;
      continue;
    }
    // Each sequence is checked by its shape alone, not with the code under
    // test: a lead byte, then its continuation bytes.
    std::size_t length = byte >= 0xF0   ? 4
                         : byte >= 0xE0 ? 3
                         : byte >= 0xC2 ? 2
                                        : 0;
    if (length == 0 || byte > 0xF4 || shown.size() - at < length)
      return "a byte outside UTF-8 got through at byte " + std::to_string(at);
    for (std::size_t i = 1; i < length; ++i)
      if ((static_cast<unsigned char>(shown[at + i]) & 0xC0u) != 0x80u)
        return "a broken UTF-8 sequence got through at byte " +
               std::to_string(at);
    if (byte == 0xC2 && static_cast<unsigned char>(shown[at + 1]) <= 0x9F)
      return "a C1 control got through at byte " + std::to_string(at);
    at += length;
  }
  if (shown.size() < bytes.size()) return "text was lost";
  if (shown.find("\\x") == std::string::npos && shown != bytes)
    return "text with nothing to escape was changed";
  return "";
}
