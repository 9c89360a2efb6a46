// The texts of the language server: an editor's document and the single
// bytes the compiler reads from it, the columns of both, and file URIs.
//
// Editors send UTF-8 and count a position in 0-based lines and UTF-16 code
// units. The sources are single-byte text: each byte is the Latin-1
// character of its number, which is one UTF-16 unit, so a byte's column in
// a line is its column in UTF-16 units. A character past U+00FF has no
// single byte: it is read as '?' and listed, so that it can be reported
// where it stands, and the columns after it on its line are mapped back
// through the list (a character past U+FFFF takes two units).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct wide_character {
  std::int32_t line = 0;    // from 0
  std::int32_t column = 0;  // of its byte in the single-byte line, from 0
  std::string utf8;         // as the editor wrote it
  std::int32_t units = 1;   // UTF-16 code units it takes
  // The units beyond one that the wide characters of its line take up to
  // and including it: the columns are mapped with a search, not a walk, so
  // a line of many such characters costs no time per character squared.
  std::int32_t extra_units = 0;
};

struct single_byte_text {
  std::string bytes;
  std::vector<wide_character> wide;  // in text order
};

// The single bytes of an editor's UTF-8 text. A byte that starts no valid
// UTF-8 sequence is taken as it is.
single_byte_text to_single_bytes(std::string_view utf8);

// Text from the compiler as UTF-8 for the protocol: valid UTF-8 stays as it
// is (the tool's own messages), anything else is read as Latin-1 (bytes of
// a source quoted in a message).
std::string as_utf8(std::string_view text);

// The column in UTF-16 units of the byte at `column` (from 0) of `line`
// (from 0), and the byte column of a column in UTF-16 units.
std::int32_t utf16_column(const single_byte_text& text, std::int32_t line,
                          std::int32_t column);
std::int32_t byte_column(const single_byte_text& text, std::int32_t line,
                         std::int32_t units);

// A place in an editor's document: line and UTF-16 unit, both from 0.
struct text_position {
  std::int32_t line = 0;
  std::int32_t character = 0;
};

// Replaces the range [from, to) of a UTF-8 text with `by`. A position past
// the end of its line stands at the line end, and one past the last line at
// the end of the text, as the protocol asks. False when `from` lies after
// `to`.
bool apply_edit(std::string& utf8, text_position from, text_position to,
                std::string_view by);

// The lines of a single-byte text, ended by CR LF, LF or a lone CR as the
// readers end them: where line `line` (from 0) begins and ends (without its
// line end), or false when the text has no such line.
bool line_span(std::string_view text, std::int32_t line, std::size_t& begin,
               std::size_t& end);

// The path of a file: URI, with its %XX escapes decoded; false for any other
// scheme. The URI of a path, with every byte but the unreserved ones and '/'
// escaped.
bool path_of_uri(std::string_view uri, std::string& path);
std::string uri_of_path(std::string_view path);
