// scenario_tool explain: a keyword gives the row as the format reference
// does, and FILE:LINE shows what the reader really did with each field of
// that line. The trace behind it never changes what is compiled.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/memory_disk.h"
#include "reader/format_reference.h"
#include "reader/grammar.h"
#include "run/run_sequence.h"
#include "scenario/write_document.h"
#include "test/run_fixture.h"
#include "test/temp_dir.h"
#include "test/tool_run.h"

namespace {

const std::string line_source = "Cendra_Gelsio2_linea.txt";
const std::string train_source = "Cendra_Gelsio2_EC 482-.txt";

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string trimmed(const std::string& s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The fields of a clean one-line row as an author reads them: split at the
// commas, number fields also at blanks.
std::vector<std::string> written_fields(const std::string& line,
                                        const row_rule& row) {
  std::vector<std::string> parts;
  std::istringstream in(line);
  std::string part;
  while (std::getline(in, part, ',')) parts.push_back(part);
  std::vector<std::string> fields;
  std::size_t field = 0;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const bool text = field < row.fields.count &&
                      row.fields.items[field].type == field_type::text;
    if (text) {
      fields.push_back(trimmed(parts[i]));
      ++field;
      continue;
    }
    std::istringstream numbers(parts[i]);
    std::string number;
    bool any = false;
    while (numbers >> number) {
      fields.push_back(number);
      any = true;
      ++field;
    }
    if (!any) {  // an empty field, which reads as 0
      fields.push_back("0");
      ++field;
    }
  }
  return fields;
}

const row_rule* row_started_by(const std::string& keyword_field,
                               source_file source) {
  for (const row_rule& row : source_rows(source))
    if (row_matches(row, keyword_field)) return &row;
  return nullptr;
}

// Every line of the exported scenario, explained: a row's keyword names the
// row, and each of its fields is named with the value the reader stored.
TEST(explain, names_every_field_of_the_embedded_scenario_with_its_value) {
  temp_dir dir;
  ASSERT_EQ(run_scenario_tool({"export", "--dir", dir.path()}).status, 0);
  int rows_seen = 0;
  for (const auto& [name, source] :
       {std::pair{line_source, source_file::line},
        std::pair{train_source, source_file::train}}) {
    const std::vector<std::string> lines = lines_of(dir.read(name));
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::string where = dir.file(name) + ":" + std::to_string(i + 1);
      SCOPED_TRACE(where + ": " + lines[i]);
      const tool_result r = run_scenario_tool({"explain", where});
      ASSERT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.out.find("warning"), std::string::npos) << r.out;
      const std::string keyword = lines[i].substr(0, lines[i].find(','));
      if (keyword.front() == '[') {
        // The writers end each file with [fine], its last field.
        const bool last = i + 1 == lines.size();
        EXPECT_NE(r.out.find(last ? "the last field of the file: never examined"
                                  : "a section marker"),
                  std::string::npos)
            << r.out;
        continue;
      }
      const row_rule* row = row_started_by(keyword, source);
      ASSERT_NE(row, nullptr);
      ++rows_seen;
      EXPECT_NE(r.out.find(std::string("starts a ") + row->name + " row"),
                std::string::npos)
          << r.out;
      const std::vector<std::string> fields = written_fields(lines[i], *row);
      ASSERT_EQ(fields.size(), row->fields.count);
      for (std::size_t f = 0; f < fields.size(); ++f) {
        const field_rule& rule = row->fields.items[f];
        std::string value = rule.type == field_type::text
                                ? "'" + fields[f] + "'"
                                : std::to_string(std::stol(fields[f]));
        if (rule.type != field_type::text && !rule.unit.empty())
          value += " " + std::string(rule.unit);
        const std::string said = "field " + std::to_string(f + 1) + ", " +
                                 std::string(rule.name) + ": " + value +
                                 "; stored in " + std::string(rule.stored);
        EXPECT_NE(r.out.find(said), std::string::npos) << said << "\n" << r.out;
      }
    }
  }
  EXPECT_GT(rows_seen, 100);
}

// A small scenario with one fault per case.
const std::vector<std::string> small_line = {
    "[generale]", "lunghezza percorso, 3000", "[pendenze]", "pendenza, 0, 0",
    "[fine]"};
const std::vector<std::string> small_train = {
    "[generale]", "sabbia, 0", "[segnali]",
    "segnale, 1000, 2, 4, 0, 0, 0, 0, "
    "0, 0, 0, 0",
    "[fine]"};

std::string crlf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

struct explain_case {
  const char* note;
  bool in_train;
  std::size_t at;  // the line inserted before line `at` (1-based)
  std::vector<std::string> inserted;
  std::size_t explained;  // 1-based
  std::vector<std::string> says;
};

TEST(explain, shows_comments_passed_fields_warnings_and_errors_of_a_line) {
  const explain_case cases[] = {
      {"a comment",
       false,
       4,
       {"-- gradients from the origin on"},
       4,
       {"'-- gradients from the origin on'  a comment: passed over"}},
      {"a '#' line holding a keyword is read as a row",
       false,
       4,
       {"# the pendenza rows follow", "1000, 5"},
       4,
       {"keyword: starts a gradient row"}},
      {"a mistyped keyword and the fields that go with it",
       false,
       5,
       {"pendeza, 1000, 5"},
       5,
       {"'pendeza'  passed over", "'1000'  passed over",
        "warning: 'pendeza' is passed over"}},
      {"a value bent to fit, with the place it went",
       false,
       5,
       {"pendenza, 1000, 200"},
       5,
       {"gradient field 2, gradient: 200 per mille",
        "placed: gradient of the cells from cell 20",
        "warning: gradient 200 per mille does not fit its byte"}},
      {"a number too large for its field",
       true,
       3,
       {"sabbia, 40000"},
       3,
       {"sand field 1, sand: does not fit its field (number, 16-bit)",
        "error 25"}},
      {"a signal on a taken cell",
       true,
       5,
       {"segnale, 1000, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0"},
       5,
       {"starts a signal row", "error 16"}},
      {"a row before [generale]",
       true,
       1,
       {"sabbia, 5"},
       1,
       {"'sabbia'  stands before [generale]: never read"}},
      {"a row that goes on on the next line",
       true,
       2,
       {"orologio, 18", "43, 30"},
       3,
       {"'43'  clock field 2, minutes: 43 min"}},
  };
  for (const explain_case& c : cases) {
    SCOPED_TRACE(c.note);
    temp_dir dir;
    std::vector<std::string> line_rows = small_line;
    std::vector<std::string> train_rows = small_train;
    std::vector<std::string>& edited = c.in_train ? train_rows : line_rows;
    edited.insert(edited.begin() + static_cast<std::ptrdiff_t>(c.at - 1),
                  c.inserted.begin(), c.inserted.end());
    dir.write(line_source, crlf(line_rows));
    dir.write(train_source, crlf(train_rows));
    const tool_result r = run_scenario_tool(
        {"explain", dir.file(c.in_train ? train_source : line_source) + ":" +
                        std::to_string(c.explained)});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string& said : c.says)
      EXPECT_NE(r.out.find(said), std::string::npos) << said << "\n" << r.out;
  }
}

TEST(explain, a_keyword_gives_the_row_as_the_reference_does) {
  const tool_result r = run_scenario_tool({"explain", "stazione"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, row_reference(row_info(row_id::station)));
  const tool_result curve = run_scenario_tool({"explain", "curvad3"});
  EXPECT_EQ(curve.out, row_reference(row_info(row_id::curve)));
}

TEST(explain, refuses_what_it_cannot_explain) {
  temp_dir dir;
  ASSERT_EQ(run_scenario_tool({"export", "--dir", dir.path()}).status, 0);
  const struct {
    std::string what;
    const char* says;
  } cases[] = {
      {"nothing", "no row has the keyword 'nothing'"},
      {dir.file(line_source) + ":100000", "has no line 100000"},
      {dir.file("Cendra_Gelsio2_EC 482_note.txt") + ":1", "is no source"},
      {dir.file("Other_EC 482-.txt") + ":1", "no line source"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const tool_result r = run_scenario_tool({"explain", c.what});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
}

// The trace is an observation: a compile with it writes the same files and
// gives the same warnings as one without.
TEST(explain, the_trace_changes_nothing_that_is_compiled) {
  struct compiled {
    memory_disk disk;
    compile_context ctx = make_memory_context(disk);
    field_trace trace;
  };
  compiled plain, traced;
  traced.ctx.trace = &traced.trace;
  for (compiled* c : {&plain, &traced}) {
    c->ctx.collect_warnings = true;
    ASSERT_TRUE(dati_linea(c->ctx).ok());
    ASSERT_TRUE(dati_treno(c->ctx).ok());
    ASSERT_TRUE(memorizza_percorso(c->ctx, 1).ok());
  }
  EXPECT_EQ(plain.disk.files, traced.disk.files);
  EXPECT_EQ(plain.ctx.warnings.size(), traced.ctx.warnings.size());
  EXPECT_GT(traced.trace.fields.size(), 1000u);
}

}  // namespace
