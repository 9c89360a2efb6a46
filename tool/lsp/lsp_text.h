// The texts of the language server: an editor's document and the bytes the
// compiler reads from it, the columns of both, and file URIs.
//
// Editors send UTF-8 and count a position in 0-based lines and UTF-16 code
// units; the compiler counts columns in bytes. The bytes are the file as
// the editor will save it: its UTF-8 as it is, or, for a file kept in
// single bytes, each character up to U+00FF as its byte. A character past
// U+00FF has no single byte: it is read as '?' and listed, so that it can
// be reported where it stands. Wherever a character takes another number of
// bytes than of UTF-16 units (a UTF-8 sequence, a character past U+FFFF),
// the columns after it on its line are mapped through a list of those
// characters, with a search, not a walk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// How the file of a document holds its text.
enum class file_encoding : std::uint8_t { utf8, single_byte };

// A character of the editor's text that takes another number of bytes in
// the compiled text than of UTF-16 units in the editor.
struct column_shift {
  std::int32_t line = 0;    // from 0
  std::int32_t column = 0;  // of its first byte in its line, from 0
  std::int32_t bytes = 1;
  std::int32_t units = 1;
  // The units less the bytes of this character and of those before it on
  // its line: a column after it is its byte column plus this.
  std::int32_t shift = 0;
};

// A character the single bytes cannot hold, read as '?'.
struct wide_character {
  std::int32_t line = 0;    // from 0
  std::int32_t column = 0;  // of its byte in the single-byte line, from 0
  std::string utf8;         // as the editor wrote it
  std::int32_t units = 1;   // UTF-16 code units it takes
};

struct editor_text {
  std::string bytes;                 // as the compiler reads them
  std::vector<column_shift> shifts;  // in text order
  std::vector<wide_character> wide;  // in text order; single bytes only
};

// The bytes of an editor's UTF-8 text as a file of that encoding holds
// them. A byte that starts no valid UTF-8 sequence is taken as it is.
editor_text compiled_text(std::string_view utf8, file_encoding encoding);

// The text of a file read from disk: its bytes, with the columns of the
// UTF-8 an editor would show of them.
editor_text file_text(std::string bytes, file_encoding encoding);

// How a file's bytes read: single bytes when they are no UTF-8, else UTF-8.
file_encoding encoding_of_bytes(std::string_view bytes);

// Text from the compiler as UTF-8 for the protocol: valid UTF-8 stays as it
// is (the tool's own messages), anything else is read as Latin-1 (bytes of
// a source quoted in a message).
std::string as_utf8(std::string_view text);

// The column in UTF-16 units of the byte at `column` (from 0) of `line`
// (from 0), and the byte column of a column in UTF-16 units.
std::int32_t utf16_column(const editor_text& text, std::int32_t line,
                          std::int32_t column);
std::int32_t byte_column(const editor_text& text, std::int32_t line,
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

// The path of a file: URI, with its %XX escapes decoded; false for any other
// scheme. The URI of a path, with every byte but the unreserved ones and '/'
// escaped.
bool path_of_uri(std::string_view uri, std::string& path);
std::string uri_of_path(std::string_view path);
