#include "base/terminal_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct shown_case {
  std::string text;
  std::string shown;
  const char* note;
};

TEST(terminal_safe, escapes_controls_and_keeps_printable_text) {
  const shown_case cases[] = {
      {"Cendra_Gelsio2_EC 482-.txt", "Cendra_Gelsio2_EC 482-.txt",
       "a plain name is unchanged"},
      {"C:\\Routes\\Cendra", "C:\\Routes\\Cendra", "backslashes stay"},
      {"a\tb", "a\tb", "a tab only moves the cursor: it stays"},
      {"\x1b]0;owned\x07x", "\\x1B]0;owned\\x07x",
       "a title-setting sequence is shown, not obeyed"},
      {"\x1b[2J\r\n", "\\x1B[2J\\x0D\\x0A", "clear screen, CR, LF"},
      {std::string("nul\0del\x7f", 8), "nul\\x00del\\x7F", "NUL and DEL"},
      {"PIAN\xc3\xa0 \xe2\x82\xac \xf0\x9f\x9a\x86",
       "PIAN\xc3\xa0 \xe2\x82\xac \xf0\x9f\x9a\x86", "valid UTF-8 stays"},
      {"\xc2\x9b"
       "31m",
       "\\xC2\\x9B31m", "a C1 control in UTF-8 (CSI)"},
      {"FORL\xcc", "FORL\\xCC", "a Latin-1 byte is not UTF-8"},
      {"\x9b", "\\x9B", "a lone 8-bit CSI"},
      {"\xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80",
       "\\xC0\\xAF \\xED\\xA0\\x80 \\xF4\\x90\\x80\\x80",
       "overlong, surrogate and beyond U+10FFFF"},
      {"\xe2\x82", "\\xE2\\x82", "a sequence cut short at the end"},
  };
  for (const shown_case& c : cases) {
    SCOPED_TRACE(c.note);
    EXPECT_EQ(terminal_safe(c.text), c.shown);
  }
}

}  // namespace
