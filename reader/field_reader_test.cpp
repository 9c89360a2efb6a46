#include "reader/field_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// Reads the whole text as: one token, then `count` 32-bit numbers.
struct row_reading {
  bool ok;
  std::string token;
  std::vector<std::int32_t> numbers;
};

row_reading read_row(const std::string& text, int count) {
  source_cursor cur = make_cursor(text);
  row_reading row{false, "", {}};
  row.ok = read_text_field(cur, row.token);
  for (int i = 0; row.ok && i < count; ++i) {
    std::int32_t n = -1;
    row.ok = read_number_field(cur, n);
    row.numbers.push_back(n);
  }
  return row;
}

TEST(field_reader, rows_split_into_token_and_numbers) {
  struct {
    std::string text;
    int count;
    std::string token;
    std::vector<std::int32_t> numbers;
    const char* note;
  } cases[] = {
      {"lunghezza percorso,    108000\r\n",
       1,
       "lunghezza percorso",
       {108000},
       "keyword and one number"},
      {"indicatori_vmax,  1700,  70,  75,  75,  0,  ,  ,  ,  0\r\n",
       9,
       "indicatori_vmax",
       {1700, 70, 75, 75, 0, 0, 0, 0, 0},
       "empty fields read as 0"},
      {"orologio,    18              43            30 \r\n",
       3,
       "orologio",
       {18, 43, 30},
       "numbers separated by blanks only"},
      {"pendenza,  13600,   -6\r\n",
       2,
       "pendenza",
       {13600, -6},
       "a negative data field is a number, not a comment"},
      {"velocita\r\n1700\r\n75\r\n",
       2,
       "velocita",
       {1700, 75},
       "fields continue across line ends"},
      {"x, abc, 12abc, +7\n",
       3,
       "x",
       {0, 12, 7},
       "letters read as 0, digits before letters count, plus sign"},
      {"x,2147483647,-2147483648\r",
       2,
       "x",
       {2147483647, -2147483648},
       "32-bit limits, lone CR line end"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    row_reading row = read_row(c.text, c.count);
    EXPECT_TRUE(row.ok);
    EXPECT_EQ(row.token, c.token);
    EXPECT_EQ(row.numbers, c.numbers);
  }
}

TEST(field_reader, reading_failures) {
  struct {
    std::string text;
    int count;
    const char* note;
  } cases[] = {
      {"x, 2147483648\r\n", 1, "above the 32-bit range"},
      {"x, -2147483649\r\n", 1, "below the 32-bit range"},
      {"x, 99999999999999999999999\r\n", 1, "far above any range"},
      {"x, 1, 2\r\n", 3, "a field asked for after the end"},
      {"x\r\n", 1, "file ends right after the keyword"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    EXPECT_FALSE(read_row(c.text, c.count).ok);
  }
}

TEST(field_reader, narrow_targets_refuse_values_that_do_not_fit) {
  source_cursor cur = make_cursor("32767, 32768, 255, 256, -1\r\n");
  std::int16_t small = 0;
  std::uint8_t byte = 0;
  EXPECT_TRUE(read_number_field(cur, small));
  EXPECT_EQ(small, 32767);
  EXPECT_FALSE(read_number_field(cur, small));
  EXPECT_TRUE(read_number_field(cur, byte));
  EXPECT_EQ(byte, 255);
  EXPECT_FALSE(read_number_field(cur, byte));
  EXPECT_FALSE(read_number_field(cur, byte));
}

TEST(field_reader, text_fields) {
  struct {
    std::string text;
    std::vector<std::string> fields;
    const char* note;
  } cases[] = {
      {"cartello_indicatore,  6150,   (GALLERIA  )(DEL VADDRO)(m.13300   )\r\n",
       {"cartello_indicatore", "6150", "(GALLERIA  )(DEL VADDRO)(m.13300   )"},
       "inner blanks and parentheses stay"},
      {"  \"a, b\" tail, c\r\n",
       {"a, b", "c"},
       "quoted field keeps commas; the rest up to the comma is dropped"},
      {"\r\nx\r\n", {"", "x"}, "an empty line is an empty field"},
      {"name   ,x", {"name", "x"}, "trailing blanks are dropped"},
      {"a\nb\r\nc", {"a", "b", "c"}, "LF, CR LF and the end of text"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    source_cursor cur = make_cursor(c.text);
    std::vector<std::string> fields;
    std::string field;
    while (!at_end(cur) && read_text_field(cur, field)) fields.push_back(field);
    EXPECT_EQ(fields, c.fields);
  }
}

TEST(field_reader, remembers_line_and_column_of_each_field) {
  source_cursor cur = make_cursor("[generale]\r\npendenza,  2300,   5\r\n");
  std::string token;
  std::int32_t n = 0;
  ASSERT_TRUE(read_text_field(cur, token));
  ASSERT_TRUE(read_text_field(cur, token));
  EXPECT_EQ(cur.field_line, 2);
  EXPECT_EQ(cur.field_column, 1);
  ASSERT_TRUE(read_number_field(cur, n));
  EXPECT_EQ(cur.field_line, 2);
  EXPECT_EQ(cur.field_column, 12);
  ASSERT_TRUE(read_number_field(cur, n));
  EXPECT_EQ(cur.field_column, 20);
  EXPECT_TRUE(at_end(cur));
}

// Where each field ends as the reader took it: a number at a blank, a text
// before its trailing blanks, a quoted text at its closing quote, or at its
// first line end when it holds one.
TEST(field_reader, the_trace_records_where_each_field_ends) {
  const struct {
    std::string text;
    bool numbers;  // read as numbers, else as text
    std::vector<std::pair<std::int32_t, std::int32_t>> spans;  // column, end
    const char* note;
  } cases[] = {
      {"18    43    30 ,",
       true,
       {{1, 3}, {7, 9}, {13, 15}},
       "numbers end at a blank"},
      {"-85,9a b", true, {{1, 4}, {5, 7}, {8, 9}}, "a sign; a cut number"},
      {"  name   , x", false, {{3, 7}, {12, 13}}, "trailing blanks dropped"},
      {"-- 18 43 30,", false, {{1, 12}}, "a comment is text, to the comma"},
      {"\"a, b\" tail,c", false, {{1, 7}, {13, 14}}, "to the closing quote"},
      {"\"a\r\nb\",c", false, {{1, 3}, {4, 5}}, "a quoted line end ends it"},
      {",x", false, {{1, 1}, {2, 3}}, "an empty field ends where it begins"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    field_trace trace;
    source_cursor cur = make_cursor(c.text);
    cur.trace = &trace;
    std::string token;
    std::int32_t n = 0;
    while (!at_end(cur) && (c.numbers ? read_number_field(cur, n)
                                      : read_text_field(cur, token)))
      ;
    std::vector<std::pair<std::int32_t, std::int32_t>> spans;
    for (const traced_field& f : trace.fields)
      spans.emplace_back(f.column, f.end_column);
    EXPECT_EQ(spans, c.spans);
  }
}

// The same ends found from a line's text alone, for a report that knows
// where a field begins but not how it was read.
TEST(field_reader, field_end_by_rules_follows_the_reader) {
  const struct {
    std::string line;
    std::int32_t column, end;
    const char* note;
  } cases[] = {
      {"orologio,    8    0    0", 14, 15, "a number ends at a blank"},
      {"orologio,    8    0    0", 19, 20, "the next number of the row"},
      {"velocita, 20000, -85", 18, 21, "a sign and digits"},
      {"pendenza,  3900,   9a  5", 20, 22, "a cut number ends at a blank"},
      {"stazione, 200, 2 PONTI, x", 16, 23, "a text that begins with digits"},
      {"pendeza,  2300", 1, 8, "a text runs to the comma"},
      {"-- gradient rows follow, x", 1, 24, "a comment is text"},
      {"stazione, 200, CENDRA  ", 16, 22, "blanks at its end are dropped"},
      {"x, \"a, b\" c", 4, 10, "a quoted text to its closing quote"},
      {"x,", 3, 4, "past the line: one character"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    EXPECT_EQ(field_end_by_rules(c.line, c.column), c.end);
  }
}

TEST(field_reader, number_forms_are_recorded) {
  source_cursor cur = make_cursor("12, , abc, 12abc");
  std::int32_t n = 0;
  number_form expected[] = {number_form::number, number_form::empty,
                            number_form::not_number, number_form::cut};
  for (number_form form : expected) {
    ASSERT_TRUE(read_number_field(cur, n));
    EXPECT_EQ(cur.last_number, form);
  }
}

TEST(field_reader, keyword_test) {
  EXPECT_TRUE(contains_keyword("PENDENZA", "pendenza"));
  EXPECT_TRUE(contains_keyword("  la pendenza qui", "pendenza"));
  EXPECT_FALSE(contains_keyword("pendenz", "pendenza"));
  EXPECT_TRUE(contains_exact("progressiva chilometrica uno", "progressiva"));
  EXPECT_FALSE(contains_exact("Progressiva chilometrica uno", "progressiva"));
  EXPECT_TRUE(is_comment("- pendenza -"));
  EXPECT_TRUE(is_comment("-6"));
  EXPECT_TRUE(is_section_marker("[curve]"));
  EXPECT_FALSE(is_section_marker("[curve"));
}

TEST(field_reader, comment_skip_limits) {
  // Three comments in a row: with a limit of two the third is examined.
  source_cursor cur = make_cursor("-a-,-b-,-c-,pendenza\r\n");
  std::string token;
  ASSERT_TRUE(read_text_field(cur, token));
  EXPECT_EQ(skip_comments(cur, token, 2, true), skip_outcome::token_ready);
  EXPECT_EQ(token, "-c-");

  // With an end test, a skip that reaches the end ends the loop.
  cur = make_cursor("-a-,last\r\n");
  ASSERT_TRUE(read_text_field(cur, token));
  EXPECT_EQ(skip_comments(cur, token, 2, true), skip_outcome::end_reached);

  // Without it, the field reached is examined even as the last one, and a
  // skip that finds no field left is a reading failure.
  cur = make_cursor("-a-,last\r\n");
  ASSERT_TRUE(read_text_field(cur, token));
  EXPECT_EQ(skip_comments(cur, token, 10, false), skip_outcome::token_ready);
  EXPECT_EQ(token, "last");
  cur = make_cursor("-a-,-b-\r\n");
  ASSERT_TRUE(read_text_field(cur, token));
  EXPECT_EQ(skip_comments(cur, token, 10, false), skip_outcome::failure);
}

TEST(field_reader, nearest_integer_ties_go_to_even) {
  struct {
    double value;
    std::int32_t expected;
  } cases[] = {{2.5, 2},   {3.5, 4},     {-2.5, -2}, {2300.5, 2300},
               {41.0, 41}, {0.49999, 0}, {-0.5, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    std::int32_t out = -99;
    EXPECT_TRUE(nearest_i32(c.value, out));
    EXPECT_EQ(out, c.expected);
  }
  std::int16_t small = 0;
  std::uint8_t byte = 0;
  EXPECT_FALSE(nearest_i16(32767.5 + 1, small));
  EXPECT_TRUE(nearest_u8(255.5, byte) == false);
  EXPECT_TRUE(nearest_u8(254.5, byte));
  EXPECT_EQ(byte, 254);
  EXPECT_FALSE(nearest_u8(-0.6, byte));
  std::int32_t big = 0;
  EXPECT_FALSE(nearest_i32(2147483648.0, big));
}

TEST(field_reader, position_check) {
  EXPECT_TRUE(position_fits(2300, 114900, 100));
  EXPECT_FALSE(position_fits(2300, 114901, 100));
  EXPECT_TRUE(position_fits(2300, -1000000, 100));  // no lower bound
  EXPECT_TRUE(position_fits(2300, 114200, 800));
  EXPECT_FALSE(position_fits(2300, 114201, 800));
}

}  // namespace
