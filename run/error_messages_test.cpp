#include "run/error_messages.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

#include "model/error_codes.h"

namespace {

struct readme_row {
  std::string meaning;
  std::string position;
};

std::string trimmed(const std::string& s) {
  std::size_t first = s.find_first_not_of(' ');
  std::size_t last = s.find_last_not_of(' ');
  return first == std::string::npos ? "" : s.substr(first, last - first + 1);
}

// The rows "| CODE | meaning | position |" of the tables in the README's
// section "## Error codes", with the Markdown backticks taken out of the
// meaning.
std::map<std::int32_t, readme_row> readme_code_rows() {
  std::ifstream in(std::string(SOURCE_DIR) + "/README.md");
  std::map<std::int32_t, readme_row> rows;
  std::string line;
  bool in_section = false;
  while (std::getline(in, line)) {
    if (line.rfind("## ", 0) == 0) in_section = line == "## Error codes";
    if (!in_section) continue;
    if (line.size() < 3 || line[0] != '|' || line[2] < '0' || line[2] > '9')
      continue;
    std::istringstream cells(line.substr(1));
    std::string code, meaning, position;
    std::getline(cells, code, '|');
    std::getline(cells, meaning, '|');
    std::getline(cells, position, '|');
    std::string plain;
    for (char c : trimmed(meaning))
      if (c != '`') plain += c;
    rows[std::stoi(code)] = {plain, trimmed(position)};
  }
  return rows;
}

// The README's tables list exactly the codes of the catalogue, each with its
// sentence and the meaning of its position ("—" for none).
TEST(error_codes, the_readme_tables_match_the_catalogue) {
  std::map<std::int32_t, readme_row> rows = readme_code_rows();
  ASSERT_FALSE(rows.empty()) << "no code table found in README.md";
  for (const error_code_info& entry : error_catalogue) {
    SCOPED_TRACE(entry.code);
    auto row = rows.find(entry.code);
    ASSERT_NE(row, rows.end()) << "code missing from the README";
    EXPECT_EQ(row->second.meaning, std::string(entry.meaning));
    EXPECT_EQ(row->second.position,
              entry.position.empty() ? "—" : std::string(entry.position));
    rows.erase(row);
  }
  for (const auto& [code, row] : rows)
    ADD_FAILURE() << "README lists code " << code
                  << " that the compiler never records";
}

TEST(error_codes, the_slot_is_described_with_its_position_where_it_has_one) {
  struct case_row {
    std::int32_t code;
    const char* expected;
  };
  const case_row cases[] = {
      {code_text_board_cell_taken,
       "error 6: an indicator board with text falls on a cell that is not "
       "free (at 6150 m)"},
      {code_line_too_long,
       "error 1: the line length exceeds 1,000,000 m"},  // no position
      {14, "error 14: an unknown error code"},           // never recorded
  };
  for (const case_row& c : cases) {
    SCOPED_TRACE(c.code);
    compile_context ctx;
    ctx.error_code = c.code;
    ctx.error_position = 6150;
    EXPECT_EQ(describe_error_slot(ctx), c.expected);
  }
}

}  // namespace
