// Text as the tool meets it in sources, labels, names and editors: one
// reading of UTF-8, the conversions between UTF-8 and single bytes (each
// byte the Latin-1 character of its number, which are the first 256
// characters of Unicode), and one index of the lines of a text.
//
// Lines end as the field reader ends them: CR LF, a lone LF or a lone CR.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The length of the UTF-8 sequence starting at `at`, and its code point in
// `code`; 0 when no well-formed sequence of two or more bytes starts there
// (an ASCII byte, a stray continuation byte, a sequence cut short, an
// overlong form, a surrogate, a code point past U+10FFFF).
std::size_t utf8_sequence(std::string_view s, std::size_t at,
                          std::uint32_t& code);

// True when every byte of `s` is ASCII or part of a well-formed sequence.
bool is_utf8(std::string_view s);

// Appends the single byte `byte` as UTF-8: one byte below 0x80, two above.
void append_latin1_as_utf8(std::string& out, unsigned char byte);
std::string latin1_to_utf8(std::string_view bytes);

// A character of a UTF-8 text that no single byte holds (past U+00FF).
struct unheld_character {
  std::size_t utf8_offset = 0;  // where it stands in the UTF-8 text
  std::size_t byte_offset = 0;  // where its stand-in stands in the bytes
  std::string utf8;             // as written
  std::uint32_t code = 0;
};

struct single_byte_conversion {
  std::string bytes;
  std::vector<unheld_character> unheld;  // in text order
  // The first byte that is no UTF-8 (kept as it is), or npos.
  std::size_t first_not_utf8 = std::string_view::npos;
};

// UTF-8 to single bytes: each character up to U+00FF becomes its byte, a
// character past it becomes `stand_in` and is listed, and a byte that
// starts no UTF-8 sequence is taken as it is.
single_byte_conversion convert_to_single_bytes(std::string_view utf8,
                                               char stand_in = '?');

// Where each line of a text begins and ends (before its line end), found in
// one pass. A text has at least one line; a text that ends with a line end
// has an empty last line after it.
struct line_index {
  std::vector<std::size_t> begins;
  std::vector<std::size_t> ends;
};
line_index index_lines(std::string_view text);

inline std::size_t line_count(const line_index& lines) {
  return lines.begins.size();
}

// Line `line` (from 0) of `text` without its line end; empty past the last.
std::string_view line_text(std::string_view text, const line_index& lines,
                           std::size_t line);

// The line (from 0) and the byte column in it (from 0) of an offset; an
// offset inside a line end or past the text counts on the line it ends.
struct line_column {
  std::size_t line = 0;
  std::size_t column = 0;
};
line_column line_column_of(const line_index& lines, std::size_t offset);
