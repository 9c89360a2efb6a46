// Labels (station names, board texts) are stored one byte per character, in
// the simulator's single-byte character set, whose first 256 characters are
// those of Unicode (Latin-1). An author's editor may save them as UTF-8
// instead, where every character past the first 128 takes two or more
// bytes; stored as they are, those bytes become other characters.
#pragma once

#include <string>
#include <string_view>

// How a label's bytes read.
enum class label_bytes {
  single_byte,  // plain ASCII, or bytes that are no UTF-8: taken as they are
  utf8,         // holds at least one UTF-8 sequence of two or more bytes
};
label_bytes classify_label(std::string_view label);

// UTF-8 to single bytes. False when a character has no single-byte form
// (past U+00FF); `bad` then holds that character as written.
bool utf8_to_single_bytes(std::string_view utf8, std::string& out,
                          std::string& bad);

// A stored label as a person reads it, in UTF-8: every byte is the Latin-1
// character of the same number, and the invisible ones (below 0x20, 0x7F to
// 0x9F) are shown as \xNN.
std::string label_as_shown(std::string_view stored);

struct compile_context;
struct source_cursor;

// A label as the reader took it from its field (`what` names the field, as
// "station name"): with the input encoding utf-8, its UTF-8 characters are
// stored as single bytes, and a character that has none is an error for
// authors; otherwise UTF-8 text is stored byte for byte, with a warning that
// shows what the simulator will show. Changes `label` only in the first case.
void take_label(compile_context& ctx, const source_cursor& cur,
                const char* what, std::string& label);
