#include "base/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Lines end as the field reader ends them.
TEST(line_index, lines_end_at_cr_lf_lf_or_a_lone_cr) {
  const struct {
    std::string text;
    std::vector<std::string> lines;
    const char* note;
  } cases[] = {
      {"ab\r\ncd", {"ab", "cd"}, "CR LF is one line end"},
      {"ab\rcd\ne", {"ab", "cd", "e"}, "a lone CR and a LF"},
      {"ab\n\r\ncd", {"ab", "", "cd"}, "an empty line between"},
      {"ab\r\n", {"ab", ""}, "an empty last line after the last end"},
      {"ab\n\rcd", {"ab", "", "cd"}, "LF then CR: two ends"},
      {"abc", {"abc"}, "a last line without an end"},
      {"", {""}, "an empty text is one empty line"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    const line_index lines = index_lines(c.text);
    std::vector<std::string> got;
    for (std::size_t i = 0; i < line_count(lines); ++i)
      got.emplace_back(line_text(c.text, lines, i));
    EXPECT_EQ(got, c.lines);
    EXPECT_EQ(line_text(c.text, lines, line_count(lines)), "");
  }
}

TEST(line_index, offsets_find_their_line_and_column) {
  const std::string text = "ab\r\ncd\rxyz";
  const line_index lines = index_lines(text);
  const struct {
    std::size_t offset, line, column;
  } cases[] = {
      {0, 0, 0}, {1, 0, 1}, {2, 0, 2},   // 'a', 'b', the CR of CR LF
      {3, 0, 3},                         // its LF still ends line 0
      {4, 1, 0}, {6, 1, 2},              // 'c', the lone CR
      {7, 2, 0}, {9, 2, 2}, {10, 2, 3},  // 'x', 'z', the end of the text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offset);
    const line_column at = line_column_of(lines, c.offset);
    EXPECT_EQ(at.line, c.line);
    EXPECT_EQ(at.column, c.column);
  }
}

TEST(text_conversion, utf8_to_single_bytes_and_back) {
  const struct {
    std::string utf8;
    std::string bytes;
    std::vector<std::size_t> unheld;  // their offsets in the UTF-8
    std::size_t first_not_utf8;
    const char* note;
  } cases[] = {
      {"CAFF\xC3\x88", "CAFF\xC8", {}, std::string::npos, "a Latin-1 letter"},
      {"\xC2\x80\xC3\xBF", "\x80\xFF", {}, std::string::npos, "the bounds"},
      {"a\xE2\x82\xAC"
       "b\xF0\x9D\x84\x9E",
       "a?b?",
       {1, 5},
       std::string::npos,
       "past U+00FF and past U+FFFF"},
      {"a\xC8z", "a\xC8z", {}, 1, "a byte that is no UTF-8 stays"},
      {"\xC3", "\xC3", {}, 0, "a sequence cut short"},
      {"\xC0\xA8", "\xC0\xA8", {}, 0, "an overlong form"},
      {"\xED\xA0\x80", "\xED\xA0\x80", {}, 0, "a surrogate"},
      {"", "", {}, std::string::npos, "nothing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    const single_byte_conversion got = convert_to_single_bytes(c.utf8);
    EXPECT_EQ(got.bytes, c.bytes);
    std::vector<std::size_t> unheld;
    for (const unheld_character& u : got.unheld)
      unheld.push_back(u.utf8_offset);
    EXPECT_EQ(unheld, c.unheld);
    EXPECT_EQ(got.first_not_utf8, c.first_not_utf8);
    EXPECT_EQ(is_utf8(c.utf8), c.first_not_utf8 == std::string::npos);
    // Whatever was held comes back as it was written.
    if (got.unheld.empty() && got.first_not_utf8 == std::string::npos) {
      EXPECT_EQ(latin1_to_utf8(got.bytes), c.utf8);
    }
  }
}

}  // namespace
