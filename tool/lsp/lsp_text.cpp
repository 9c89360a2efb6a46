#include "tool/lsp/lsp_text.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

// The length of the valid UTF-8 sequence at `at` (1 to 4) and its code
// point, or 0 when none starts there.
std::size_t utf8_sequence(std::string_view s, std::size_t at,
                          std::uint32_t& code) {
  const auto byte = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[i]));
  };
  const std::uint32_t first = byte(at);
  if (first < 0x80) {
    code = first;
    return 1;
  }
  std::size_t n = 0;
  std::uint32_t min = 0;
  if ((first & 0xE0) == 0xC0) {
    n = 2;
    code = first & 0x1F;
    min = 0x80;
  } else if ((first & 0xF0) == 0xE0) {
    n = 3;
    code = first & 0x0F;
    min = 0x800;
  } else if ((first & 0xF8) == 0xF0) {
    n = 4;
    code = first & 0x07;
    min = 0x10000;
  } else {
    return 0;
  }
  if (at + n > s.size()) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return 0;
  return n;
}

bool is_line_end(char c) { return c == '\r' || c == '\n'; }

// Where line `line` of a text begins, or npos when it has fewer lines.
std::size_t line_begin(std::string_view text, std::int32_t line) {
  std::size_t at = 0;
  for (std::int32_t n = 0; n < line; ++n) {
    const std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) return std::string_view::npos;
    at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return at;
}

// The byte offset of a position in a UTF-8 text, clamped to its line and to
// the text.
std::size_t utf8_offset(std::string_view text, text_position p) {
  if (p.line < 0) return 0;
  std::size_t at = line_begin(text, p.line);
  if (at == std::string_view::npos) return text.size();
  std::int32_t units = 0;
  while (at < text.size() && !is_line_end(text[at]) && units < p.character) {
    std::uint32_t code = 0;
    const std::size_t n = utf8_sequence(text, at, code);
    at += n == 0 ? 1 : n;
    units += n == 4 ? 2 : 1;
  }
  return at;
}

}  // namespace

single_byte_text to_single_bytes(std::string_view utf8) {
  single_byte_text out;
  out.bytes.reserve(utf8.size());
  std::int32_t line = 0;
  std::size_t line_start = 0;  // in out.bytes
  for (std::size_t i = 0; i < utf8.size();) {
    std::uint32_t code = 0;
    const std::size_t n = utf8_sequence(utf8, i, code);
    if (n == 0) {
      out.bytes += utf8[i];
      ++i;
      continue;
    }
    if (code == '\n' ||
        (code == '\r' && (i + 1 >= utf8.size() || utf8[i + 1] != '\n'))) {
      ++line;
      line_start = out.bytes.size() + 1;
    }
    if (code <= 0xFF) {
      out.bytes += static_cast<char>(static_cast<unsigned char>(code));
    } else {
      const std::int32_t units = code > 0xFFFF ? 2 : 1;
      const std::int32_t before =
          !out.wide.empty() && out.wide.back().line == line
              ? out.wide.back().extra_units
              : 0;
      out.wide.push_back(
          {line, static_cast<std::int32_t>(out.bytes.size() - line_start),
           std::string(utf8.substr(i, n)), units, before + units - 1});
      out.bytes += '?';
    }
    i += n;
  }
  return out;
}

std::string as_utf8(std::string_view text) {
  bool valid = true;
  for (std::size_t i = 0; i < text.size() && valid;) {
    std::uint32_t code = 0;
    const std::size_t n = utf8_sequence(text, i, code);
    valid = n != 0;
    i += n;
  }
  if (valid) return std::string(text);
  std::string out;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (b >> 6));
      out += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return out;
}

namespace {

// The wide characters of `line` that stand before byte `column`: the last
// of them, or null when there is none.
const wide_character* last_wide_before(const single_byte_text& text,
                                       std::int32_t line, std::int32_t column) {
  const auto after = std::lower_bound(
      text.wide.begin(), text.wide.end(), std::make_pair(line, column),
      [](const wide_character& w,
         const std::pair<std::int32_t, std::int32_t>& p) {
        return w.line != p.first ? w.line < p.first : w.column < p.second;
      });
  if (after == text.wide.begin()) return nullptr;
  const wide_character& last = *std::prev(after);
  return last.line == line ? &last : nullptr;
}

}  // namespace

std::int32_t utf16_column(const single_byte_text& text, std::int32_t line,
                          std::int32_t column) {
  const wide_character* w = last_wide_before(text, line, column);
  return column + (w == nullptr ? 0 : w->extra_units);
}

std::int32_t byte_column(const single_byte_text& text, std::int32_t line,
                         std::int32_t units) {
  // The byte column is the units less the extra units of the wide
  // characters before it; a search over the characters of the line finds
  // the last one that starts before `units`.
  const auto first = std::lower_bound(
      text.wide.begin(), text.wide.end(), line,
      [](const wide_character& w, std::int32_t l) { return w.line < l; });
  const auto end = std::lower_bound(
      first, text.wide.end(), line + 1,
      [](const wide_character& w, std::int32_t l) { return w.line < l; });
  // Where a character stands in units: its column, with the extra units of
  // the ones before it.
  const auto at_units = [](const wide_character& w) {
    return w.column + w.extra_units - (w.units - 1);
  };
  const auto after = std::partition_point(
      first, end, [&](const wide_character& w) { return at_units(w) < units; });
  return after == first ? units : units - std::prev(after)->extra_units;
}

bool apply_edit(std::string& utf8, text_position from, text_position to,
                std::string_view by) {
  const std::size_t begin = utf8_offset(utf8, from);
  const std::size_t end = utf8_offset(utf8, to);
  if (begin > end) return false;
  utf8.replace(begin, end - begin, by);
  return true;
}

bool line_span(std::string_view text, std::int32_t line, std::size_t& begin,
               std::size_t& end) {
  if (line < 0) return false;
  begin = line_begin(text, line);
  if (begin == std::string_view::npos) return false;
  end = text.find_first_of("\r\n", begin);
  if (end == std::string_view::npos) end = text.size();
  return true;
}

bool path_of_uri(std::string_view uri, std::string& path) {
  constexpr std::string_view scheme = "file://";
  if (uri.substr(0, scheme.size()) != scheme) return false;
  uri.remove_prefix(scheme.size());
  // A host before the path ("file://localhost/...") names this machine.
  const std::size_t slash = uri.find('/');
  if (slash == std::string_view::npos) return false;
  uri.remove_prefix(slash);
  path.clear();
  const auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (std::size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() && hex(uri[i + 1]) >= 0 &&
        hex(uri[i + 2]) >= 0) {
      path += static_cast<char>(hex(uri[i + 1]) * 16 + hex(uri[i + 2]));
      i += 2;
    } else {
      path += uri[i];
    }
  }
#ifdef _WIN32
  // "/C:/Routes/x.txt" names C:/Routes/x.txt on Windows.
  if (path.size() >= 3 && path[0] == '/' && path[2] == ':' &&
      ((path[1] >= 'a' && path[1] <= 'z') ||
       (path[1] >= 'A' && path[1] <= 'Z')))
    path.erase(0, 1);
#endif
  return !path.empty() && path.find('\0') == std::string::npos;
}

std::string uri_of_path(std::string_view path) {
  constexpr const char* digits = "0123456789ABCDEF";
  std::string uri = "file://";
#ifdef _WIN32
  // A Windows path: its backslashes are the URI's slashes, and a drive
  // letter follows a slash of its own.
  std::string slashed(path);
  for (char& c : slashed)
    if (c == '\\') c = '/';
  if (slashed.size() >= 2 && slashed[1] == ':') slashed.insert(0, "/");
  path = slashed;
#endif
  for (char c : path) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') ||
        (b >= '0' && b <= '9') || c == '-' || c == '.' || c == '_' ||
        c == '~' || c == '/') {
      uri += c;
    } else {
      uri += '%';
      uri += digits[b >> 4];
      uri += digits[b & 0x0F];
    }
  }
  return uri;
}
