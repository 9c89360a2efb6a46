#include "reader/grammar.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "test/line_fixture.h"
#include "test/train_fixture.h"

namespace {

// A row as an author writes it: the example keyword field, then the examples
// of its first `fields` fields.
std::string example_row(const row_rule& row, std::size_t fields) {
  std::string text = row.example;
  for (std::size_t i = 0; i < fields; ++i)
    text += ", " + std::string(row.fields.items[i].example);
  return text + "\r\n";
}

// Compiles `row` with the given number of its fields, followed by a row whose
// effect shows (its keyword field has no blank, since a numeric field ends at
// a blank and would leave the rest of the keyword to start a row): true when
// that row was still read, so the row took exactly the fields it was given.
// `clean` tells whether the compile recorded no code.
bool next_row_read(const row_rule& row, std::size_t fields, bool& clean) {
  const std::string tested = example_row(row, fields);
  if (row.source == source_file::train) {
    train_fixture f;
    const bool is_sand = row.id == row_id::sand;
    f.read("[generale]\r\n" + tested +
           (is_sand ? "vetture, 4242\r\n" : "sabbia, 4242\r\n") + "[fine]\r\n");
    clean = f.ctx.error_code == 0;
    return is_sand ? f.slot(slot_train_line_data).at_m == 4242
                   : f.slot(slot_train_header).num_a == 4242;
  }
  line_fixture f;
  if (row.general) {
    const bool is_two = row.id == row_id::background_two;
    f.compile("[generale]\r\n" +
              (row.id == row_id::line_length
                   ? std::string()
                   : std::string("lunghezza percorso, 3000\r\n")) +
              tested +
              (is_two ? "sfondotre, 4242\r\n" : "sfondodue, 4242\r\n") +
              "[righe]\r\n[fine]\r\n");
    clean = f.ctx.error_code == 0;
    const line_record& header = f.ctx.table.slots[slot_scenario_header];
    return (is_two ? header.to_m : header.at_m) == 4242;
  }
  f.compile("[generale]\r\nlunghezza percorso, 3000\r\n[righe]\r\n" + tested +
            "cartello_indicatore, 9000, SENTINEL\r\n[fine]\r\n");
  clean = f.ctx.error_code == 0;
  for (const line_record& slot : f.ctx.table.slots)
    if (slot.label == "SENTINEL") return true;
  return false;
}

// The table says how many fields each row takes, and the readers take
// exactly that many: with all of them the next row is read, with one fewer
// the row takes the next row's keyword as its last field.
TEST(grammar, every_row_takes_exactly_its_listed_fields) {
  for (std::size_t i = 0; i < row_count; ++i) {
    const row_rule& row = grammar_rows()[i];
    SCOPED_TRACE(row.name);
    ASSERT_GT(row.fields.count, 0u);
    bool clean = false;
    EXPECT_TRUE(next_row_read(row, row.fields.count, clean));
    EXPECT_TRUE(clean) << "the example row records a code";
    EXPECT_FALSE(next_row_read(row, row.fields.count - 1, clean));
  }
}

// Every row is where the enum says, belongs to one of its source's sections,
// and its example keyword field starts the row.
TEST(grammar, rows_sections_and_keywords_agree) {
  std::set<std::string> names;
  for (std::size_t i = 0; i < row_count; ++i) {
    const row_rule& row = grammar_rows()[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(static_cast<std::size_t>(row.id), i);
    EXPECT_EQ(&row_info(row.id), &row);
    EXPECT_TRUE(names.insert(row.name).second) << "two rows of one name";
    EXPECT_TRUE(row_matches(row, row.example));
    EXPECT_TRUE(row_matches(row, row.written) ||
                row.id == row_id::signal_repetition)
        << "the written keyword does not start the row";
    const section_list sections = grammar_sections(row.source);
    bool known = false;
    for (std::size_t s = 0; s < sections.count; ++s)
      known = known || std::string(sections.names[s]) == row.section;
    EXPECT_TRUE(known) << row.section;
    bool in_range = false;
    for (const row_rule& r : source_rows(row.source)) in_range |= &r == &row;
    EXPECT_TRUE(in_range);
  }
}

}  // namespace
