#include "reader/format_reference.h"

#include <string_view>

#include "model/error_codes.h"
#include "reader/warning_catalogue.h"

namespace {

std::string code_line(std::int32_t code) {
  const error_code_info* info = find_error_code(code);
  std::string text = "- code " + std::to_string(code);
  if (info == nullptr) return text + "\n";
  text += ": " + std::string(info->meaning);
  if (!info->position.empty())
    text += " (position: " + std::string(info->position) + ")";
  return text + "\n";
}

// A table cell: a '|' would end the cell.
std::string cell(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '|') out += '\\';
    out += c;
  }
  return out.empty() ? "" : out;
}

std::string sentence(const char* text) {
  std::string out = text;
  if (!out.empty() && out[0] >= 'a' && out[0] <= 'z')
    out[0] = static_cast<char>(out[0] - 'a' + 'A');
  return out + ".";
}

std::string keyword_rule(const row_rule& row) {
  std::string rule = "a field that holds `" + std::string(row.first) + "`";
  if (*row.second != '\0') rule += " and `" + std::string(row.second) + "`";
  rule += row.exact_case ? ", in lower case" : ", letter case ignored";
  return rule + "; the writers write `" + row.written + "`";
}

std::string example_row(const row_rule& row) {
  std::string text = row.example;
  for (const field_rule& f : row.fields) text += ", " + std::string(f.example);
  return text;
}

const char* source_title(source_file source) {
  return source == source_file::line ? "The line source (`NAME_linea.txt`)"
                                     : "The train source (`NAME_TRAIN-.txt`)";
}

std::string section_list_text(source_file source) {
  const section_list sections = grammar_sections(source);
  std::string text;
  for (std::size_t i = 0; i < sections.count; ++i) {
    const std::string name = sections.names[i];
    text += "- `" + name + "`";
    std::string rows;
    for (const row_rule& row : source_rows(source)) {
      if (name != row.section) continue;
      rows += rows.empty() ? ": " : ", ";
      rows += "`" + std::string(row.written) + "`";
    }
    text += rows.empty() && name == end_section
                ? ": the end of the file; nothing after it is needed"
                : rows;
    text += "\n";
  }
  return text;
}

constexpr const char* reading_rules = R"(## Reading a source

A scenario is two text files in one folder, read one after the other: the
line source `NAME_linea.txt` (the track: its length, gradients, curves,
mountains and boards) and the train source `NAME_TRAIN-.txt` (the service on
it: its general data, speed limits, adhesion, stations, slowdowns, signals
and code markers). `scenario_tool export` writes the embedded scenario's
pair, and `scenario_tool new` a small pair of one's own.

### Fields, blanks and line ends

- A source is one stream of fields. A comma or a line end (CR LF, LF or a
  lone CR) ends a field, and the two mean the same: a row's fields may go on
  on the next line, and a line may hold more than one row.
- Blanks (spaces and tabs) before a field are skipped. A number field also
  ends at a blank, so `18    43    30` is three numbers; a text field runs to
  the next comma or line end, and blanks at its end are dropped.
- An empty line is an empty field. Between rows it is passed over; where a
  row expects a number it reads as 0.
- A number is an optional sign and digits. An empty field reads as 0 with no
  warning; a field without leading digits reads as 0, and one with other
  characters after its digits reads as those digits, each with a warning. A
  number too large for its field (see each field's range) cannot be read:
  code 25.
- Text is stored one byte per character, as written.

### Quotes

- A text field that begins with `"` (after blanks) runs to the next `"`: it
  may hold commas and line ends. Whatever follows the closing quote up to the
  next comma or line end is dropped.
- Number fields know no quotes: `"5"` is not a number and reads as 0.

### Rows and keywords

- A row is a keyword field followed by its data fields, in the order listed
  below. The keyword field starts the row when it holds the row's keywords
  anywhere in it, so `curvad3` is a curve row and `velocita max` a speed
  limit row.
- Only the row's own fields are read after its keyword: a field too many is
  examined as the next keyword and passed over with a warning, and a row that
  lacks a field takes the next row's keyword as its last number, so that row
  is lost.
- A field that holds the keywords of two rows is read as both, one after the
  other, each with fields of its own.

### Sections

- A section marker is a field that holds both `[` and `]`. The reading
  starts after `[generale]`: whatever stands before it is never read.
- The rows are found by their keywords wherever they stand; the other
  markers tell authors where a row belongs, and a row in another section is
  read all the same, with a warning. In the line source the general rows are
  read only before the first section marker after `[generale]`, and the other
  rows only after it.
- The last field of a file is never examined: end each file with `[fine]`.

### Comments

- A comment is a field that holds a `-` where a row keyword is expected. It
  is passed over however it goes on, so `-- gradient rows follow` is a
  comment.
- Nothing else marks a comment: `# the pendenza rows follow` holds no `-`
  and is read as a gradient row, since it holds the keyword `pendenza`.
- A comment ends at the next comma or line end like any text field; write
  it without commas, or between quotes.
- Only two comments in a row are passed over between rows (ten in the
  general section of the line source); the field after them is examined as a
  keyword, and read as a row when it holds one.
- A comment where a row expects a data field is read as that field: in a
  number field it reads as 0.

)";

}  // namespace

const char* field_type_words(field_type type) {
  switch (type) {
    case field_type::i32:
      return "number, 32-bit";
    case field_type::i16:
      return "number, 16-bit";
    case field_type::u8:
      return "number, 0 to 255";
    case field_type::text:
      return "text";
  }
  return "";
}

std::string row_reference(const row_rule& row) {
  std::string text = "### `" + std::string(row.written) + "`: " + row.name +
                     "\n\n" + sentence(row.meaning) + "\n\n";
  text += "- Keyword: " + keyword_rule(row) + ".\n";
  text += "- Section: `" + std::string(row.section) + "`";
  if (row.general)
    text += row.source == source_file::line
                ? "; read only in the general section, and a later row of "
                  "this kind replaces what an earlier one stored"
                : "; a later row of this kind replaces what an earlier one "
                  "stored";
  text += ".\n";
  text += "- Example: `" + example_row(row) + "`\n\n";

  text +=
      "| # | Field | Type | Unit | Range and checks | Stored in | Meaning |\n";
  text += "|---|---|---|---|---|---|---|\n";
  int n = 1;
  for (const field_rule& f : row.fields) {
    text += "| " + std::to_string(n++) + " | " + cell(f.name) + " | " +
            field_type_words(f.type) + " | " + cell(f.unit) + " | " +
            cell(f.range) + " | " + cell(f.stored) + " | " + cell(f.meaning) +
            " |\n";
  }
  text += "\nErrors:\n\n";
  for (std::int32_t code : row_codes(row.id)) text += code_line(code);
  text += "\nWarnings, besides those any row can give:\n\n";
  const std::vector<row_warning_text> warnings = row_warnings(row.id);
  if (warnings.empty()) text += "- none\n";
  for (const row_warning_text& w : warnings)
    text += "- " + std::string(w.text) + "\n";
  return text;
}

std::string format_reference() {
  std::string text =
      "# The scenario source format\n\n"
      "<!-- Generated from the grammar table (reader/grammar.cpp), the row "
      "warnings\n(reader/warning_catalogue.cpp) and the error catalogue "
      "(model/error_codes.h)\nby the format_reference program. Do not edit: "
      "run\n`cmake --build build --target format_reference_doc`. -->\n\n";
  text += reading_rules;
  text +=
      "### Warnings any row can give\n\n"
      "- a number field that is not a number, or has characters after its "
      "digits;\n"
      "- a row in another section than its own, or after `[fine]`;\n"
      "- a field that holds the keywords of two rows;\n"
      "- a comment read as a row, when more comments stand in a row than are "
      "passed over.\n\n"
      "`scenario_tool check` shows every warning with its line and column, "
      "and `scenario_tool explain FILE:LINE` shows how one line is read.\n\n"
      "### Codes of a whole file\n\n" +
      code_line(code_no_line_source) + code_line(code_no_general_section) +
      "\nOnce both sources are read, the signal-code markers are placed "
      "around the signals and slowdowns; these codes name a track cell, not "
      "a row:\n\n" +
      code_line(code_no_free_cell_before_signal) +
      code_line(code_no_free_cell_in_start_group) +
      code_line(code_no_free_cell_in_slowdown) +
      code_line(code_slowdown_without_end) + "\n";
  for (source_file source : {source_file::line, source_file::train}) {
    text += std::string("## ") + source_title(source) + "\n\n";
    text +=
        "Its sections, in the order the writers use them, with the rows "
        "that belong in each:\n\n" +
        section_list_text(source) + "\n";
    for (const row_rule& row : source_rows(source))
      text += row_reference(row) + "\n";
  }
  // One final newline, as every file of the repository ends.
  while (text.size() > 1 && text[text.size() - 1] == '\n' &&
         text[text.size() - 2] == '\n')
    text.pop_back();
  return text;
}
