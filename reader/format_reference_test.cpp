// The format reference says what the readers do: every row and field of the
// grammar is in docs/format.md, every code the readers record belongs to a
// row, and each rule the reference gives for fields, quotes, comments and
// sections holds when a source is read.
#include "reader/format_reference.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "model/error_codes.h"
#include "test/line_fixture.h"
#include "test/train_fixture.h"

namespace {

std::string committed_reference() {
  std::ifstream in(std::string(SOURCE_DIR) + "/docs/format.md",
                   std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The part of the reference under the heading of one row.
std::string row_block(const std::string& doc, const row_rule& row) {
  const std::string heading = "### `" + std::string(row.written) + "`: ";
  const std::size_t start = doc.find(heading);
  if (start == std::string::npos) return "";
  const std::size_t end = doc.find("\n### ", start + heading.size());
  return doc.substr(start, end == std::string::npos ? end : end - start);
}

TEST(format_reference, names_every_row_keyword_and_field) {
  const std::string doc = committed_reference();
  ASSERT_FALSE(doc.empty()) << "docs/format.md is missing";
  for (std::size_t i = 0; i < row_count; ++i) {
    const row_rule& row = grammar_rows()[i];
    SCOPED_TRACE(row.name);
    const std::string block = row_block(doc, row);
    ASSERT_FALSE(block.empty()) << "no heading for the row";
    EXPECT_NE(block.find("`" + std::string(row.first) + "`"),
              std::string::npos);
    if (*row.second != '\0') {
      EXPECT_NE(block.find("`" + std::string(row.second) + "`"),
                std::string::npos);
    }
    EXPECT_NE(block.find("`" + std::string(row.section) + "`"),
              std::string::npos);
    int n = 1;
    for (const field_rule& f : row.fields) {
      const std::string cells =
          "| " + std::to_string(n++) + " | " + std::string(f.name) + " | ";
      EXPECT_NE(block.find(cells), std::string::npos) << f.name;
    }
    for (std::int32_t code : row_codes(row.id))
      EXPECT_NE(block.find("- code " + std::to_string(code) + ": "),
                std::string::npos)
          << code;
  }
}

// Each code a reader records is listed for a row of the source it is found
// in. Code 2 is the exception: the line source's kilometre references are
// checked once the train source has been read too.
TEST(format_reference, every_reader_code_belongs_to_a_row_of_its_source) {
  std::set<std::int32_t> listed;
  for (std::size_t i = 0; i < row_count; ++i) {
    const row_rule& row = grammar_rows()[i];
    for (std::int32_t code : row_codes(row.id)) {
      SCOPED_TRACE(std::string(row.name) + ", code " + std::to_string(code));
      const error_code_info* info = find_error_code(code);
      ASSERT_NE(info, nullptr);
      listed.insert(code);
      if (code == code_reference_not_whole_cells) continue;
      const code_origin own = row.source == source_file::line
                                  ? code_origin::line_source
                                  : code_origin::train_source;
      EXPECT_TRUE(info->origin == own || info->origin == code_origin::either);
    }
  }
  for (const error_code_info& info : error_catalogue) {
    const bool whole_file = info.code == code_no_line_source ||
                            info.code == code_no_general_section;
    if (info.origin == code_origin::markers || whole_file) continue;
    EXPECT_EQ(listed.count(info.code), 1u) << "code " << info.code;
  }
}

// A train source read over a grid: the sand row stores into num_a of slot 86
// and the carriages row into at_m of slot 84, so each rule shows in them.
struct rule_case {
  const char* note;
  std::string text;  // the whole train source
  std::int16_t sand;
  std::int32_t carriages;
  std::int32_t code;
};

std::string after_general(const std::string& rows) {
  return "[generale]\r\n" + rows + "\r\n[fine]\r\n";
}

TEST(format_reference, rules_for_fields_comments_and_sections_hold) {
  const rule_case cases[] = {
      // Fields, blanks and line ends.
      {"a line end ends a field as a comma does",
       after_general("sabbia\r\n7\r\nvetture,9"), 7, 9, 0},
      {"a line may hold more than one row",
       after_general("sabbia, 7, vetture, 9"), 7, 9, 0},
      {"a lone CR and a lone LF end lines too",
       after_general("sabbia, 7\rvetture, 9\n"), 7, 9, 0},
      {"a line that ends in a comma ends with an empty field",
       after_general("sabbia,\r\n7, vetture, 9"), 0, 9, 0},
      {"an empty line between rows is passed over",
       after_general("sabbia, 7\r\n\r\n\r\nvetture, 9"), 7, 9, 0},
      {"an empty field reads as 0", after_general("sabbia, , vetture, 9"), 0, 9,
       0},
      {"no leading digits: 0", after_general("sabbia, x7, vetture, 9"), 0, 9,
       0},
      {"digits and then other characters: the digits",
       after_general("sabbia, 7x, vetture, 9"), 7, 9, 0},
      {"too large for its 16-bit field: code 25",
       after_general("sabbia, 40000"), 0, 0, code_reading_failure},
      // Quotes.
      {"a number field knows no quotes", after_general("sabbia, \"5\""), 0, 0,
       0},
      // Rows and keywords.
      {"the keyword may stand anywhere in its field, in any case",
       after_general("MORE SABBIA HERE, 7"), 7, 0, 0},
      {"a field with two keywords is read as both rows, in table order",
       after_general("sabbia vetture, 7, 9"), 9, 7, 0},
      // Sections.
      {"nothing before [generale] is read",
       "sabbia, 7\r\n[generale]\r\nvetture, 9\r\n[fine]\r\n", 0, 9, 0},
      {"a row is read wherever it stands",
       after_general("[stazioni]\r\nsabbia, 7\r\n[fine]\r\nvetture, 9"), 7, 9,
       0},
      // Comments.
      {"a field holding '-' is a comment, keyword or not",
       after_general("-- sabbia rows follow\r\nsabbia, 7"), 7, 0, 0},
      {"'#' marks no comment: a keyword in it starts the row",
       after_general("# the sabbia row\r\n7"), 7, 0, 0},
      {"a comment ends at a comma; what follows is examined",
       after_general("-- one, sabbia two\r\n7"), 7, 0, 0},
      {"a quoted comment may hold commas",
       after_general("\"-- one, sabbia two\"\r\n7, vetture, 9"), 0, 9, 0},
      {"two comments in a row are passed over",
       after_general("-- a\r\n-- sabbia b\r\n7, vetture, 9"), 0, 9, 0},
      {"the third comment in a row is examined",
       after_general("-- a\r\n-- b\r\n-- sabbia c\r\n7"), 7, 0, 0},
  };
  for (const rule_case& c : cases) {
    SCOPED_TRACE(c.note);
    train_fixture f;
    (void)f.read(c.text);
    EXPECT_EQ(f.ctx.error_code, c.code);
    if (c.code != 0) continue;
    EXPECT_EQ(f.slot(slot_train_header).num_a, c.sand);
    EXPECT_EQ(f.slot(slot_train_line_data).at_m, c.carriages);
  }
}

TEST(format_reference, numbers_end_at_blanks_and_texts_at_commas) {
  train_fixture f;
  (void)f.read(
      after_general("orologio, 18    43    30\r\n"
                    "stazione, 200, 2, 800, 1, 1, 0, 4,1,0, 2,1,1, 1, 18,44, "
                    "0,  OLD TOWN  "));
  ASSERT_EQ(f.ctx.error_code, 0);
  EXPECT_EQ(f.slot(slot_train_header).num_c, 18);
  EXPECT_EQ(f.slot(slot_train_header).num_d, 43);
  EXPECT_EQ(f.slot(slot_train_header).num_e, 30);
  EXPECT_EQ(f.slot(1).label, "OLD TOWN");  // blanks around it dropped
}

TEST(format_reference, quoted_texts_hold_commas_and_line_ends) {
  const struct {
    const char* written;
    const char* stored;
  } cases[] = {
      {"\"A, B\"", "A, B"},
      {"\"A\r\nB\"", "A\r\nB"},
      {"\"A\" dropped", "A"},
      {"-- not a comment here", "-- not a comment here"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.written);
    train_fixture f;
    (void)f.read(after_general(
        std::string("stazione, 200, 2, 800, 1, 1, 0, 4,1,0, 2,1,1, 1, 18,44, "
                    "0, ") +
        c.written + "\r\nsabbia, 7"));
    ASSERT_EQ(f.ctx.error_code, 0);
    EXPECT_EQ(f.slot(1).label, c.stored);
    EXPECT_EQ(f.slot(slot_train_header).num_a, 7);
  }
}

// The general section of the line source passes over ten comments in a row.
TEST(format_reference, the_general_section_passes_over_ten_comments) {
  for (int comments : {9, 10}) {
    SCOPED_TRACE(comments);
    std::vector<std::string> lines = {"[generale]", "lunghezza percorso, 3000"};
    for (int i = 0; i < comments; ++i) lines.push_back("-- note");
    lines.push_back("-- sfondo uno note");
    lines.push_back("5");
    lines.push_back("[righe]");
    lines.push_back("[fine]");
    line_fixture f;
    f.compile(source_text(lines));
    ASSERT_EQ(f.ctx.error_code, 0);
    // The eleventh comment is examined and read as the background row.
    EXPECT_EQ(f.ctx.table.slots[slot_scenario_header].from_m,
              comments == 10 ? 5 : 0);
  }
}

}  // namespace
