#include "tool/lsp/lsp_text.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "base/text.h"

namespace {

// The bytes of the character at `at` and its code point: a valid UTF-8
// sequence, an ASCII byte, or a byte that is neither, taken alone.
std::size_t character_at(std::string_view s, std::size_t at,
                         std::uint32_t& code) {
  code = static_cast<unsigned char>(s[at]);
  if (code < 0x80) return 1;
  const std::size_t n = utf8_sequence(s, at, code);
  return n == 0 ? 1 : n;
}

std::int32_t units_of(std::uint32_t code) { return code > 0xFFFF ? 2 : 1; }

// Lists a character at `offset` of the compiled bytes that takes `bytes`
// of them and `units` UTF-16 units, when the two differ.
void add_shift(editor_text& text, const line_index& lines, std::size_t offset,
               std::int32_t bytes, std::int32_t units) {
  if (bytes == units) return;
  const line_column at = line_column_of(lines, offset);
  column_shift s;
  s.line = static_cast<std::int32_t>(at.line);
  s.column = static_cast<std::int32_t>(at.column);
  s.bytes = bytes;
  s.units = units;
  s.shift = units - bytes;
  if (!text.shifts.empty() && text.shifts.back().line == s.line)
    s.shift += text.shifts.back().shift;
  text.shifts.push_back(s);
}

// The shifts of a text whose bytes are UTF-8.
void shift_utf8(editor_text& text) {
  const line_index lines = index_lines(text.bytes);
  for (std::size_t i = 0; i < text.bytes.size();) {
    std::uint32_t code = 0;
    const std::size_t n = character_at(text.bytes, i, code);
    add_shift(text, lines, i, static_cast<std::int32_t>(n),
              n == 1 ? 1 : units_of(code));
    i += n;
  }
}

// The byte offset of a position in a UTF-8 text, clamped to its line and to
// the text.
std::size_t utf8_offset(std::string_view text, const line_index& lines,
                        text_position p) {
  if (p.line < 0) return 0;
  const auto line = static_cast<std::size_t>(p.line);
  if (line >= line_count(lines)) return text.size();
  std::size_t at = lines.begins[line];
  std::int32_t units = 0;
  while (at < lines.ends[line] && units < p.character) {
    std::uint32_t code = 0;
    const std::size_t n = character_at(text, at, code);
    at += n;
    units += n == 1 ? 1 : units_of(code);
  }
  return at;
}

}  // namespace

editor_text compiled_text(std::string_view utf8, file_encoding encoding) {
  if (encoding == file_encoding::utf8) {
    editor_text text;
    text.bytes = std::string(utf8);
    shift_utf8(text);
    return text;
  }
  single_byte_conversion converted = convert_to_single_bytes(utf8);
  editor_text text;
  text.bytes = std::move(converted.bytes);
  const line_index lines = index_lines(text.bytes);
  for (unheld_character& c : converted.unheld) {
    const line_column at = line_column_of(lines, c.byte_offset);
    const std::int32_t units = units_of(c.code);
    add_shift(text, lines, c.byte_offset, 1, units);
    text.wide.push_back({static_cast<std::int32_t>(at.line),
                         static_cast<std::int32_t>(at.column),
                         std::move(c.utf8), units});
  }
  return text;
}

editor_text file_text(std::string bytes, file_encoding encoding) {
  editor_text text;
  text.bytes = std::move(bytes);
  if (encoding == file_encoding::utf8) shift_utf8(text);
  return text;
}

file_encoding encoding_of_bytes(std::string_view bytes) {
  return is_utf8(bytes) ? file_encoding::utf8 : file_encoding::single_byte;
}

std::string as_utf8(std::string_view text) {
  return is_utf8(text) ? std::string(text) : latin1_to_utf8(text);
}

namespace {

// The shifts of `line`: [first, end) of the list.
std::pair<std::vector<column_shift>::const_iterator,
          std::vector<column_shift>::const_iterator>
shifts_of_line(const editor_text& text, std::int32_t line) {
  const auto before = [](const column_shift& s, std::int32_t l) {
    return s.line < l;
  };
  const auto first =
      std::lower_bound(text.shifts.begin(), text.shifts.end(), line, before);
  return {first, std::lower_bound(first, text.shifts.end(), line + 1, before)};
}

}  // namespace

std::int32_t utf16_column(const editor_text& text, std::int32_t line,
                          std::int32_t column) {
  const auto [first, end] = shifts_of_line(text, line);
  // The last character of the line that starts before the column.
  const auto after = std::partition_point(
      first, end, [&](const column_shift& s) { return s.column < column; });
  return after == first ? column : column + std::prev(after)->shift;
}

std::int32_t byte_column(const editor_text& text, std::int32_t line,
                         std::int32_t units) {
  const auto [first, end] = shifts_of_line(text, line);
  // Where a character stands in units: its byte column, with the shift of
  // the ones before it.
  const auto at_units = [](const column_shift& s) {
    return s.column + s.shift - (s.units - s.bytes);
  };
  const auto after = std::partition_point(
      first, end, [&](const column_shift& s) { return at_units(s) < units; });
  return after == first ? units : units - std::prev(after)->shift;
}

bool apply_edit(std::string& utf8, text_position from, text_position to,
                std::string_view by) {
  const line_index lines = index_lines(utf8);
  const std::size_t begin = utf8_offset(utf8, lines, from);
  const std::size_t end = utf8_offset(utf8, lines, to);
  if (begin > end) return false;
  utf8.replace(begin, end - begin, by);
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
