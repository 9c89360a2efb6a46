// Warnings for authors: one source per warning, each naming its line and
// column; the embedded scenario gives none; and no warning ever changes what
// is compiled.
#include "reader/author_notes.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/compile_context.h"
#include "platform/memory_disk.h"
#include "reader/grammar.h"
#include "reader/warning_catalogue.h"
#include "run/run_sequence.h"
#include "scenario/write_document.h"
#include "test/run_fixture.h"

namespace {

enum class src { line, train };

// A small scenario that compiles cleanly and gives no warning: a 3 km line
// (grid N = 200) with one row of every kind, and a train with two stations
// and one signal.
const std::vector<std::string> base_line = {
    "[generale]",
    "lunghezza percorso,    3000",
    "sfondo uno,    80000",
    "ripetizione segnali 4 codici,    0,    3000",
    "[curve]",
    "curvas2,  500,  200",
    "curvad3,  1000,  300",
    "[pendenze]",
    "pendenza,   0,    0",
    "pendenza,  1000,   5",
    "[montagne]",
    "montagna,   1200,  1800,  2",
    "[cartelli]",
    "indicatori_vmax,  1700,  70,  75,  75,  0,  ,  ,  ,  0",
    "[indicazioni]",
    "cartello_indicatore,  2100,   (GALLERIA  )(DEL VADDRO)",
    "[fine]",
};
const std::string base_signal =
    "segnale,    1000,   2, 4, 0,  0, 0,    0,  0,0,0, 0";
const std::vector<std::string> base_train = {
    "[generale]",
    "numero vetture,    7",
    "percentuale massa frenata,    100",
    "sabbia,    0",
    "orologio,    18              43            30 ",
    "[aderenze]",
    "aderenza,   0,    100",
    "[vel_limite]",
    "velocita,   0,    30",
    "velocita,    1700,    75",
    "[stazioni]",
    "stazione,     200,  2,  800,  1, 1, 0,  4,1,0,  2,1,1,    1,  18,44, 0, "
    "CENDRA",
    "stazione,    2500,  6,  800,  1, 1, 0,  1,1,0,  2,1,1,    0,  20, 2, 0, "
    "GELSIO",
    "[rallentamenti]",
    "[segnali]",
    base_signal,
    "[codici]",
    "[fine]",
};

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// Rows put into a base source: in place of the line `anchor`, or after it.
struct edit {
  src file;
  std::string anchor;
  std::vector<std::string> rows;
  bool replace;
};
edit put_after(src file, std::string anchor, std::vector<std::string> rows) {
  return {file, std::move(anchor), std::move(rows), false};
}
edit put_instead(src file, std::string anchor, std::vector<std::string> rows) {
  return {file, std::move(anchor), std::move(rows), true};
}

// False when the anchor is not exactly one line.
bool apply_edit(std::vector<std::string>& lines, const edit& e) {
  std::size_t found = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != e.anchor) continue;
    if (found != lines.size()) return false;
    found = i;
  }
  if (found == lines.size()) return false;
  auto at = lines.begin() + static_cast<std::ptrdiff_t>(found);
  at = e.replace ? lines.erase(at) : at + 1;
  lines.insert(at, e.rows.begin(), e.rows.end());
  return true;
}

// The 1-based line that holds exactly `row`; 0 when none or several do.
std::int32_t line_of(const std::vector<std::string>& lines,
                     const std::string& row) {
  std::int32_t found = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != row) continue;
    if (found != 0) return 0;
    found = static_cast<std::int32_t>(i + 1);
  }
  return found;
}

// One compile in memory, with or without the warnings.
struct memory_compile {
  memory_disk disk;
  compile_context ctx = make_test_context("");
  step_result result;

  memory_compile(const std::string& line_text, const std::string& train_text,
                 std::int32_t write_flag, bool collect) {
    ctx.files.memory = &disk;
    ctx.collect_warnings = collect;
    disk.files[line_source_name(ctx)] = line_text;
    disk.files[train_source_name(ctx)] = train_text;
    result = memorizza_percorso(ctx, write_flag);
  }
};

std::string listed(const std::vector<author_warning>& warnings) {
  std::string out;
  for (const author_warning& w : warnings)
    out += (w.where == error_source::line_source ? "line " : "train ") +
           std::to_string(w.line) + ":" + std::to_string(w.column) + ": " +
           w.text + "\n";
  return out;
}

TEST(author_warnings, the_base_scenario_compiles_without_a_warning) {
  for (std::int32_t write_flag : {1, 0}) {
    memory_compile c(joined(base_line), joined(base_train), write_flag, true);
    ASSERT_TRUE(c.result.ok()) << c.result.detail;
    EXPECT_EQ(c.ctx.error_code, 0);
    // Without the plan only the curve rows are told about (see the table).
    EXPECT_EQ(c.ctx.warnings.size(), write_flag == 1 ? 0u : 1u)
        << listed(c.ctx.warnings);
  }
}

TEST(author_warnings, the_embedded_scenario_gives_none) {
  memory_disk disk;
  compile_context ctx = make_test_context("");
  ctx.files.memory = &disk;
  ctx.collect_warnings = true;
  ASSERT_TRUE(dati_linea(ctx).ok());
  ASSERT_TRUE(dati_treno(ctx).ok());
  step_result r = memorizza_percorso(ctx, 1);
  ASSERT_TRUE(r.ok()) << r.detail;
  EXPECT_EQ(ctx.error_code, 0);
  EXPECT_EQ(listed(ctx.warnings), "");
}

struct expected_warning {
  src file;
  std::string row;  // the line the warning names, as it stands in the source
  std::int32_t column;
  std::string says;  // a part of its text
};

struct warning_case {
  const char* note;
  std::vector<edit> edits;
  std::vector<expected_warning> expected;  // all of them, in source order
  std::int32_t write_flag = 1;
};

std::vector<warning_case> warning_cases() {
  const src L = src::line;
  const src T = src::train;
  return {
      // Fields passed over.
      {"a mistyped keyword drops its row",
       {put_instead(L, "pendenza,  1000,   5", {"pendeza,  1000,   5"})},
       {{L, "pendeza,  1000,   5", 1,
         "'pendeza' is passed over: no row has this keyword (did you "
         "mean 'pendenza'?); the 2 fields after it on this line go with it"}}},
      {"a mistyped train keyword",
       {put_after(T, "[segnali]",
                  {"segnalle,    2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0"})},
       {{T, "segnalle,    2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0", 1,
         "(did you mean 'segnale'?); the 11 fields after it"}}},
      {"a field too many for its row",
       {put_instead(L, "pendenza,  1000,   5", {"pendenza,  1000,   5,  7"})},
       {{L, "pendenza,  1000,   5,  7", 24,
         "'7' is passed over: a field where a row keyword should stand"}}},
      {"a general row after the general section",
       {put_after(L, "[curve]", {"sfondo due,    100"})},
       {{L, "sfondo due,    100", 1,
         "the background 'due' row is read only in the general section"}}},
      {"a row of the line inside the general section",
       {put_after(L, "lunghezza percorso,    3000", {"pendenza,  500,  3"})},
       {{L, "pendenza,  500,  3", 1,
         "a gradient row is not read inside the general section"}}},
      {"a general row in capitals",
       {put_instead(L, "sfondo uno,    80000", {"Sfondo uno,    80000"})},
       {{L, "Sfondo uno,    80000", 1,
         "recognised only in lower case, as 'sfondo uno'"}}},
      {"a train row in the line source",
       {put_after(L, "[pendenze]", {"velocita,  500,  30"})},
       {{L, "velocita,  500,  30", 1,
         "the speed limit row belongs in the train source"}}},
      {"a line row in the train source",
       {put_after(T, "[segnali]", {"pendenza,  500,  3"})},
       {{T, "pendenza,  500,  3", 1,
         "the gradient row belongs in the line source"}}},
      {"curve rows without the plan, told once",
       {},
       {{L, "curvas2,  500,  200", 1,
         "curve rows are passed over when the track plan is not built"}},
       0},
      {"a keyword before [generale] of the line source",
       {put_instead(L, "[generale]", {"pendenza,  100,  1", "[generale]"})},
       {{L, "pendenza,  100,  1", 1,
         "'pendenza' stands before [generale] and is never read"}}},
      {"a keyword before [generale] of the train source",
       {put_instead(T, "[generale]", {"sabbia,    1", "[generale]"})},
       {{T, "sabbia,    1", 1, "stands before [generale]"}}},
      {"a train source without [generale]",
       {put_instead(T, "[generale]", {"[generali]"})},
       {{T, "[generali]", 1,
         "the train source holds no [generale]: none of its rows is read"}}},
      {"a keyword as the last field of the file",
       {put_instead(L, "[fine]", {"pendenza"})},
       {{L, "pendenza", 1, "'pendenza' is the last field of the file"}}},
      {"a third comment in a row that holds a keyword",
       {put_after(T, "[segnali]",
                  {"- uno -", "- due -",
                   "- segnale -,    4000,   1, 4, 0,  0, 0,    0,  0,0,0, 0"})},
       {{T, "- segnale -,    4000,   1, 4, 0,  0, 0,    0,  0,0,0, 0", 1,
         "is read as a signal row: it holds a '-' like a comment, but only 2 "
         "comments in a row are passed over"}}},
      // Numbers.
      {"letters after the digits",
       {put_instead(T, "numero vetture,    7", {"numero vetture,    7b"})},
       {{T, "numero vetture,    7b", 20,
         "'7b' is not a plain number: only its leading '7' counts"}}},
      {"a field that is not a number",
       {put_instead(L, "pendenza,  1000,   5", {"pendenza,  1000,   cinque"})},
       {{L, "pendenza,  1000,   cinque", 20,
         "'cinque' is not a number: it reads as 0"}}},
      {"a row that lost a field takes the next keyword for a number",
       {put_after(T, "[segnali]",
                  {"segnale,    4000,   1, 4, 0,  0, 0,    0,  0,0,0"})},
       {{T, base_signal, 1,
         "'segnale' is read as a number (0): the row before it lacks a "
         "field, and this signal row is lost"},
        {T, base_signal, 13,
         "'1000' is passed over: a field where a row keyword should stand "
         "(a field too many for the row before, or a row that lost its "
         "keyword); the 10 fields after it on this line go with it"}}},
      // General rows given twice, and a token with two rows.
      {"a background value given twice",
       {put_after(L, "sfondo uno,    80000", {"sfondo uno,    70000"})},
       {{L, "sfondo uno,    70000", 1,
         "a second background 'uno' row: its value replaces the one of line "
         "3"}}},
      {"sand given twice",
       {put_after(T, "sabbia,    0", {"sabbia,    1"})},
       {{T, "sabbia,    1", 1,
         "a second sand row: its value replaces the one of line 4"}}},
      {"one token with the keywords of two rows",
       {put_instead(L, "sfondo uno,    80000",
                    {"sfondo uno due,    80000,    59350"})},
       {{L, "sfondo uno due,    80000,    59350", 1,
         "holds the keywords of the background 'uno' row and of the "
         "background 'due' row: it is read as both"}}},
      // Rows whose order changes their meaning.
      {"a gradient row at the cell of the one before",
       {put_after(L, "pendenza,  1000,   5", {"pendenza,  1000,   7"})},
       {{L, "pendenza,  1000,   7", 1,
         "gradient row at 1000 m does not lie beyond the one before it (line "
         "10, at 1000 m): it fills only cell 20 with the gradient before, and "
         "its own begins at cell 21, not at cell 20"}}},
      {"a speed limit behind the one before",
       {put_after(T, "velocita,    1700,    75", {"velocita,    1000,    60"})},
       {{T, "velocita,    1000,    60", 1,
         "speed limit row at 1000 m does not lie beyond the one before it "
         "(line 10, at 1700 m): it fills only cell 34"}}},
      {"two adhesion rows at the origin",
       {put_after(T, "aderenza,   0,    100", {"aderenza,   0,    90"})},
       {{T, "aderenza,   0,    90", 1,
         "it fills no cell, and its own adhesion replaces the one before from "
         "cell 0 on"}}},
      {"a curve that overlaps the one before",
       {put_after(L, "curvad3,  1000,  300", {"curvas2,  1200,  200"})},
       {{L, "curvas2,  1200,  200", 1,
         "curve at 1200 m starts behind metre 1300, where the plan stands "
         "after the curve of line 7: only its metres 1301 to 1400 turn, 100 "
         "of 200"}}},
      {"a curve wholly behind the one before",
       {put_after(L, "curvad3,  1000,  300", {"curvas2,  1000,  100"})},
       {{L, "curvas2,  1000,  100", 1, "it turns no metre"}}},
      {"a mountain that overlaps the one before",
       {put_after(L, "montagna,   1200,  1800,  2",
                  {"montagna,   1500,  2500,  1"})},
       {{L, "montagna,   1500,  2500,  1", 1,
         "mountain at 1500 m begins before the one of line 12 ends (at 1800 "
         "m): the join rule gives it type 3, and it lays its type over 6 "
         "cells of that one"}}},
      {"a mountain whose end lies before its start",
       {put_after(L, "montagna,   1200,  1800,  2",
                  {"montagna,   2500,  2400,  1"})},
       {{L, "montagna,   2500,  2400,  1", 1,
         "covers no cell: nothing of it is laid (are its start and end "
         "swapped?)"}}},
      {"kilometre references that share the greatest first number",
       {put_after(L, "lunghezza percorso,    3000",
                  {"progressiva chilometrica tre,    7000,    0,    0",
                   "progressiva chilometrica due,    7000,    0,    0"})},
       {{L, "progressiva chilometrica due,    7000,    0,    0", 1,
         "kilometre references 'tre' and 'due' share the greatest first "
         "number (7000): all three references are cleared to 0"}}},
      // Sections.
      {"a row in another section",
       {put_after(T, "[rallentamenti]",
                  {"segnale,    4000,   1, 4, 0,  0, 0,    0,  0,0,0, 0"})},
       {{T, "segnale,    4000,   1, 4, 0,  0, 0,    0,  0,0,0, 0", 1,
         "a signal row in section [rallentamenti], not in [segnali]: it is "
         "read all the same"}}},
      {"a row after [fine]",
       {put_after(L, "[fine]", {"pendenza,  2000,  3"})},
       {{L, "pendenza,  2000,  3", 1,
         "a gradient row after [fine]: it is read all the same"}}},
      {"a mistyped section marker",
       {put_instead(L, "[cartelli]", {"[cartellli]"})},
       {{L, "[cartellli]", 1,
         "'[cartellli]' is no section of the line source; the rows after it "
         "are read by their keywords all the same"}}},
      {"a section marker that ends the general section early",
       {put_after(L, "lunghezza percorso,    3000", {"[note]"})},
       {{L, "[note]", 1, "it ends the general section all the same"},
        {L, "sfondo uno,    80000", 1,
         "read only in the general section, before its first section marker; "
         "the 1 field after it on this line goes with it"},
        {L, "ripetizione segnali 4 codici,    0,    3000", 1,
         "the signal repetition row is read only in the general section"}}},
      // Values bent to fit their fields.
      {"a gradient beyond its byte",
       {put_instead(L, "pendenza,  1000,   5", {"pendenza,  1000,   200"})},
       {{L, "pendenza,  1000,   200", 20,
         "gradient 200 per mille does not fit its byte (-100 to 155): it is "
         "stored as -56"}}},
      {"a speed off the 5 km/h steps",
       {put_instead(T, "velocita,    1700,    75",
                    {"velocita,    1700,    72"})},
       {{T, "velocita,    1700,    72", 23,
         "speed 72 km/h is kept in steps of 5 km/h: it is stored as 70 km/h"}}},
      {"an adhesion beyond its byte",
       {put_instead(T, "aderenza,   0,    100", {"aderenza,   0,    300"})},
       {{T, "aderenza,   0,    300", 19,
         "adhesion 300 does not fit its byte (0 to 255): it is stored as 44"}}},
      {"a short signal timer",
       {put_instead(T, base_signal,
                    {"segnale,    1000,   2, 4, 0,  0, 0,    0,  0,0,0, 50"})},
       {{T, "segnale,    1000,   2, 4, 0,  0, 0,    0,  0,0,0, 50", 51,
         "timer 50 is raised to 101"}}},
      {"a timer beyond its byte",
       {put_instead(T, base_signal,
                    {"segnale,    1000,   2, 4, 0,  0, 0,    0,  0,0,0, 300"})},
       {{T, "segnale,    1000,   2, 4, 0,  0, 0,    0,  0,0,0, 300", 51,
         "it is stored as 44"}}},
      {"a timer on a signal that runs none",
       {put_instead(T, base_signal,
                    {"segnale,    1000,   1, 4, 0,  0, 0,    0,  0,0,0, 30"})},
       {{T, "segnale,    1000,   1, 4, 0,  0, 0,    0,  0,0,0, 30", 51,
         "timer 30 is not stored: only a signal whose first type is 2 runs a "
         "timer"}}},
      {"pre-warning cells asked for within the first 1500 m",
       {put_after(T, "[rallentamenti]",
                  {"rallentamento,   1200,  60,  300,  0,  1,  0"})},
       {{T, "rallentamento,   1200,  60,  300,  0,  1,  0", 1,
         "slowdown at 1200 m lies within the first 1500 m: it gets no warning "
         "board, so its pre-warning cells are not laid either"}}},
  };
}

TEST(author_warnings, each_names_its_line_and_column) {
  for (const warning_case& c : warning_cases()) {
    SCOPED_TRACE(c.note);
    std::vector<std::string> line_rows = base_line;
    std::vector<std::string> train_rows = base_train;
    for (const edit& e : c.edits)
      ASSERT_TRUE(apply_edit(e.file == src::line ? line_rows : train_rows, e))
          << "anchor: " << e.anchor;
    memory_compile c_on(joined(line_rows), joined(train_rows), c.write_flag,
                        true);
    const std::vector<author_warning>& got = c_on.ctx.warnings;
    ASSERT_EQ(got.size(), c.expected.size()) << listed(got);
    for (std::size_t i = 0; i < got.size(); ++i) {
      const expected_warning& x = c.expected[i];
      const std::int32_t line =
          line_of(x.file == src::line ? line_rows : train_rows, x.row);
      ASSERT_GT(line, 0) << "the named row stands once: " << x.row;
      EXPECT_EQ(got[i].where, x.file == src::line ? error_source::line_source
                                                  : error_source::train_source);
      EXPECT_EQ(got[i].line, line) << got[i].text;
      EXPECT_EQ(got[i].column, x.column) << got[i].text;
      EXPECT_NE(got[i].text.find(x.says), std::string::npos)
          << "text: " << got[i].text << "\nsays: " << x.says;
    }

    // Warnings are observations: the same compile without them leaves the
    // same error slot, tables and files, byte for byte.
    memory_compile c_off(joined(line_rows), joined(train_rows), c.write_flag,
                         false);
    EXPECT_TRUE(c_off.ctx.warnings.empty());
    EXPECT_EQ(c_on.result.code, c_off.result.code);
    EXPECT_EQ(c_on.ctx.error_code, c_off.ctx.error_code);
    EXPECT_EQ(c_on.ctx.error_position, c_off.ctx.error_position);
    EXPECT_EQ(c_on.disk.files, c_off.disk.files);
    EXPECT_EQ(c_on.disk.files.size(), c.write_flag == 1 ? 3u : 2u);
  }
}

// A second compile with the same context starts from no warnings.
TEST(author_warnings, a_compile_clears_the_warnings_of_the_one_before) {
  std::vector<std::string> line_rows = base_line;
  ASSERT_TRUE(apply_edit(
      line_rows,
      put_instead(src::line, "pendenza,  1000,   5", {"pendeza,  1000,   5"})));
  memory_compile c(joined(line_rows), joined(base_train), 1, true);
  ASSERT_EQ(c.ctx.warnings.size(), 1u);
  c.disk.files[line_source_name(c.ctx)] = joined(base_line);
  c.disk.files[train_source_name(c.ctx)] = joined(base_train);
  ASSERT_TRUE(memorizza_percorso(c.ctx, 1).ok());
  EXPECT_EQ(listed(c.ctx.warnings), "");
}

// A trace alone makes the readers' observer too: the trace learns what each
// field was, yet no warning reaches the context, since none was asked for,
// and the observer is gone once the reading is over.
TEST(author_warnings, a_trace_alone_collects_no_warnings) {
  std::vector<std::string> line_rows = base_line;
  ASSERT_TRUE(apply_edit(
      line_rows,
      put_instead(src::line, "pendenza,  1000,   5", {"pendeza,  1000,   5"})));
  memory_disk disk;
  compile_context ctx = make_test_context("");
  ctx.files.memory = &disk;
  field_trace trace;
  ctx.trace = &trace;
  disk.files[line_source_name(ctx)] = joined(line_rows);
  disk.files[train_source_name(ctx)] = joined(base_train);
  ASSERT_TRUE(memorizza_percorso(ctx, 1).ok());
  EXPECT_EQ(listed(ctx.warnings), "");
  EXPECT_EQ(ctx.notes, nullptr);
  const auto role_of = [&trace](const std::string& text) {
    for (const traced_field& f : trace.fields)
      if (f.text == text) return f.role;
    return field_role::unexamined;
  };
  EXPECT_EQ(role_of("pendeza"), field_role::passed_over);
  EXPECT_EQ(role_of("pendenza"), field_role::keyword);
}

// Each warning the format reference lists for a row, given by a row of that
// kind: a case per (row, warning), and the warning stands at the case's row.
struct row_warning_case {
  row_id row;
  row_warning kind;
  edit change;
  std::string row_text;  // the row the warning names
  std::string says;
  std::int32_t write_flag = 1;
};

// A general row of the example given twice, right after [generale].
row_warning_case given_twice_case(const row_rule& row) {
  std::string text = row.example;
  for (const field_rule& f : row.fields) text += ", " + std::string(f.example);
  const src file = row.source == source_file::line ? src::line : src::train;
  const std::string anchor =
      file == src::line ? "lunghezza percorso,    3000" : "[generale]";
  std::vector<std::string> rows = {text + " ", text};
  if (row.id == row_id::line_length) rows = {text};  // the base has one
  return {row.id, row_warning::given_twice, put_after(file, anchor, rows), text,
          std::string("a second ") + row.name + " row"};
}

std::vector<row_warning_case> row_warning_cases() {
  const src L = src::line;
  const src T = src::train;
  std::vector<row_warning_case> cases;
  for (std::size_t i = 0; i < row_count; ++i)
    if (grammar_rows()[i].general)
      cases.push_back(given_twice_case(grammar_rows()[i]));
  const std::pair<row_id, const char*> references[] = {
      {row_id::reference_three, "progressiva chilometrica tre"},
      {row_id::reference_two, "progressiva chilometrica due"},
      {row_id::reference_one, "progressiva chilometrica uno"}};
  for (const auto& [row, keyword] : references) {
    const std::string other = row == row_id::reference_one
                                  ? "progressiva chilometrica due"
                                  : "progressiva chilometrica uno";
    const std::string text = std::string(keyword) + ", 1000, 3000, 0";
    cases.push_back({row, row_warning::references_cleared,
                     put_after(L, "lunghezza percorso,    3000",
                               {other + ", 1000, 2000, 0", text}),
                     text, "all three references are cleared"});
  }
  const auto after = [](src file, const char* anchor, std::string row) {
    return put_after(file, anchor, {std::move(row)});
  };
  cases.push_back({row_id::gradient, row_warning::behind_row_before,
                   after(L, "pendenza,  1000,   5", "pendenza, 500, 5"),
                   "pendenza, 500, 5", "does not lie beyond"});
  cases.push_back({row_id::gradient, row_warning::value_bent,
                   after(L, "pendenza,  1000,   5", "pendenza, 2000, 200"),
                   "pendenza, 2000, 200", "does not fit its byte"});
  cases.push_back({row_id::curve, row_warning::curve_behind,
                   after(L, "curvad3,  1000,  300", "curvad3, 600, 100"),
                   "curvad3, 600, 100", "starts behind"});
  cases.push_back({row_id::curve, row_warning::curves_unread,
                   after(L, "[curve]", "curvad1, 100, 100"),
                   "curvad1, 100, 100", "curve rows are passed over", 0});
  cases.push_back({row_id::mountain, row_warning::mountain_overlap,
                   after(L, "montagna,   1200,  1800,  2",
                         "montagna, 1500, "
                         "2000, 2"),
                   "montagna, 1500, 2000, 2", "type 3"});
  cases.push_back({row_id::mountain, row_warning::mountain_empty,
                   after(L, "montagna,   1200,  1800,  2",
                         "montagna, 2500, "
                         "2000, 2"),
                   "montagna, 2500, 2000, 2", "covers no cell"});
  cases.push_back(
      {row_id::text_board, row_warning::utf8_label,
       after(L, "[indicazioni]", "cartello_indicatore, 2600, \xC3\x88"),
       "cartello_indicatore, 2600, \xC3\x88", "is UTF-8 text"});
  cases.push_back({row_id::speed_limit, row_warning::behind_row_before,
                   after(T, "velocita,    1700,    75", "velocita, 1000, 75"),
                   "velocita, 1000, 75", "does not lie beyond"});
  cases.push_back({row_id::speed_limit, row_warning::value_bent,
                   after(T, "velocita,    1700,    75", "velocita, 2000, 72"),
                   "velocita, 2000, 72", "steps of 5 km/h"});
  cases.push_back({row_id::adhesion, row_warning::behind_row_before,
                   after(T, "aderenza,   0,    100", "aderenza, 0, 100"),
                   "aderenza, 0, 100", "does not lie beyond"});
  cases.push_back({row_id::adhesion, row_warning::value_bent,
                   after(T, "aderenza,   0,    100", "aderenza, 1000, 300"),
                   "aderenza, 1000, 300", "does not fit its byte"});
  cases.push_back({row_id::signal, row_warning::value_bent,
                   after(T, "[segnali]",
                         "segnale, 2000, 2, 4, 0, 0, 0, 0, 0, "
                         "0, 0, 50"),
                   "segnale, 2000, 2, 4, 0, 0, 0, 0, 0, 0, 0, 50",
                   "raised to 101"});
  cases.push_back({row_id::slowdown, row_warning::no_warning_board,
                   after(T, "[rallentamenti]",
                         "rallentamento, 1200, 60, 200, "
                         "0, 1, 0"),
                   "rallentamento, 1200, 60, 200, 0, 1, 0",
                   "gets no warning board"});
  const std::string station =
      "stazione, 2500, 6, -800, 1, 1, 0, 1,1,0, 2,1,1, 0, 20, 2, 0, GELSIO";
  cases.push_back({row_id::station, row_warning::platform_backwards,
                   put_instead(T, base_train[12], {station}), station,
                   "is below 0"});
  const std::string utf8_station =
      "stazione, 2500, 6, 800, 1, 1, 0, 1,1,0, 2,1,1, 0, 20, 2, 0, "
      "GELS\xC3\x8C";
  cases.push_back({row_id::station, row_warning::utf8_label,
                   put_instead(T, base_train[12], {utf8_station}), utf8_station,
                   "is UTF-8 text"});
  return cases;
}

TEST(author_warnings, each_row_gives_the_warnings_listed_for_it) {
  const std::vector<row_warning_case> cases = row_warning_cases();
  for (std::size_t i = 0; i < row_count; ++i) {
    const row_rule& row = grammar_rows()[i];
    for (const row_warning_text& listed_warning : row_warnings(row.id)) {
      SCOPED_TRACE(std::string(row.name) + ": " + listed_warning.text);
      int found = 0;
      for (const row_warning_case& c : cases)
        found += c.row == row.id && c.kind == listed_warning.kind;
      EXPECT_EQ(found, 1) << "no case for this warning";
    }
  }
  for (const row_warning_case& c : cases) {
    SCOPED_TRACE(c.row_text);
    bool listed_for_row = false;
    for (const row_warning_text& w : row_warnings(c.row))
      listed_for_row = listed_for_row || w.kind == c.kind;
    EXPECT_TRUE(listed_for_row);
    std::vector<std::string> line_rows = base_line;
    std::vector<std::string> train_rows = base_train;
    std::vector<std::string>& edited =
        c.change.file == src::line ? line_rows : train_rows;
    ASSERT_TRUE(apply_edit(edited, c.change)) << c.change.anchor;
    memory_compile m(joined(line_rows), joined(train_rows), c.write_flag, true);
    EXPECT_EQ(m.ctx.error_code, 0);
    const std::int32_t line = line_of(edited, c.row_text);
    ASSERT_GT(line, 0);
    bool seen = false;
    for (const author_warning& w : m.ctx.warnings)
      seen =
          seen || (w.line == line && w.text.find(c.says) != std::string::npos);
    EXPECT_TRUE(seen) << "line " << line << "\n" << listed(m.ctx.warnings);
  }
}

}  // namespace
