// Hover against explain: for every field of every line of the exported
// sources and of the sources `new` writes, hover at each character of the
// field names the field explain FILE:LINE shows, with the same row, name
// and value. Each pair is compiled once for explain's reading and once for
// the server's; the hovers between look the field up in that reading.
#include "tool/lsp/lsp_hover.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/text.h"
#include "test/temp_dir.h"
#include "test/tool_run.h"
#include "tool/authoring/field_account.h"
#include "tool/authoring/session.h"
#include "tool/lsp/lsp_workspace.h"

namespace {

struct source_case {
  std::string file;
  error_source which;
};

// What explain reads: the pair compiled in memory with a trace, as
// `explain FILE:LINE` compiles it.
field_trace explained(const temp_dir& dir, const std::string& scenario,
                      const std::string& train) {
  compile_context ctx;
  ctx.scenario_name = scenario;
  ctx.train_name = train;
  ctx.files.directory = dir.path();
  ctx.files.headless = true;
  ctx.files.keep_sources = true;
  ctx.collect_warnings = true;
  field_trace trace;
  ctx.trace = &trace;
  memory_disk disk;
  (void)compile_in_memory(ctx, disk, 1);
  return trace;
}

// The hovers over every character of every field of one source, in a
// workspace that holds it open; counts the fields checked in `checked`.
void hover_every_field(const temp_dir& dir, const field_trace& truth,
                       const source_case& source, std::size_t& checked) {
  lsp_workspace ws;
  const std::string uri = uri_of_path(dir.file(source.file));
  open_document(ws, uri, 1, dir.read(source.file));
  const lsp_document& d = ws.documents.at(uri);
  source_pair pair;
  EXPECT_TRUE(find_pair(ws, d, pair));
  EXPECT_EQ(pair.which, source.which);
  field_trace served;
  trace_pair(ws, pair, false, served);
  const line_index lines = index_lines(d.text.bytes);
  for (const traced_field& f : truth.fields) {
    if (f.source != source.which || f.end_column <= f.column) continue;
    const std::string_view line =
        line_text(d.text.bytes, lines, static_cast<std::size_t>(f.line - 1));
    SCOPED_TRACE(source.file + ":" + std::to_string(f.line) + ": col " +
                 std::to_string(f.column) + " '" + f.text + "'");
    // The field explain shows is the text from its column to its end.
    if (line[static_cast<std::size_t>(f.column - 1)] != '"') {
      EXPECT_EQ(line.substr(static_cast<std::size_t>(f.column - 1),
                            static_cast<std::size_t>(f.end_column - f.column)),
                f.text);
    }
    for (std::int32_t c = f.column; c < f.end_column; ++c) {
      const traced_field* h =
          field_under(served, source.which, line, f.line, c);
      ASSERT_NE(h, nullptr) << "column " << c;
      ASSERT_EQ(h->column, f.column) << "column " << c;
      const std::string said = hover_text(*h);
      const std::string account = field_account(f);
      EXPECT_EQ(
          said.substr(said.size() - std::min(said.size(), account.size())),
          account)
          << "column " << c;
    }
    ++checked;
  }
}

TEST(lsp_hover, every_character_of_every_field_names_what_explain_shows) {
  const struct {
    std::vector<std::string> command;
    std::string scenario, train;
    std::size_t at_least;  // fields read in the pair, at the least
    const char* note;
  } cases[] = {
      {{"export"}, "Cendra_Gelsio2", "EC 482", 1000, "the exported pair"},
      {{"new", "--scenario", "MyLine", "--train", "R1"},
       "MyLine",
       "R1",
       40,
       "the pair new writes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    temp_dir dir;
    std::vector<std::string> args = c.command;
    args.insert(args.end(), {"--dir", dir.path()});
    ASSERT_EQ(run_scenario_tool(args).status, 0);
    const field_trace truth = explained(dir, c.scenario, c.train);
    std::size_t checked = 0;
    hover_every_field(dir, truth,
                      {c.scenario + "_linea.txt", error_source::line_source},
                      checked);
    hover_every_field(
        dir, truth,
        {c.scenario + "_" + c.train + "-.txt", error_source::train_source},
        checked);
    EXPECT_GE(checked, c.at_least);
  }
}

// The clock row as `new` writes it, "orologio,    8    0    0": three
// numbers apart by blanks. Hover on each names its own field, with its
// range, through the protocol's request.
TEST(lsp_hover, blank_separated_numbers_are_fields_of_their_own) {
  temp_dir dir;
  ASSERT_EQ(run_scenario_tool({"new", "--scenario", "MyLine", "--train", "R1",
                               "--dir", dir.path()})
                .status,
            0);
  const std::string train = "MyLine_R1-.txt";
  const std::string text = dir.read(train);
  const line_index lines = index_lines(text);
  std::size_t row = 0;
  while (row < line_count(lines) &&
         line_text(text, lines, row).rfind("orologio,", 0) != 0)
    ++row;
  ASSERT_LT(row, line_count(lines));
  ASSERT_EQ(line_text(text, lines, row), "orologio,    8    0    0");
  lsp_workspace ws;
  const std::string uri = uri_of_path(dir.file(train));
  open_document(ws, uri, 1, text);
  const auto line = static_cast<std::int32_t>(row);
  const struct {
    std::int32_t character, from, to;
    const char* field;
  } cases[] = {
      {13, 13, 14, "field 1 of 3, **hours**"},
      {15, 18, 19, "field 2 of 3, **minutes**"},  // a blank before it
      {18, 18, 19, "field 2 of 3, **minutes**"},
      {23, 23, 24, "field 3 of 3, **seconds**"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.character);
    const lsp_answer a = hover(ws, uri, {line, c.character});
    ASSERT_TRUE(a.result.is_object()) << a.result.dump();
    EXPECT_EQ(a.result["range"], range_json(line, c.from, line, c.to));
    const std::string said = a.result["contents"]["value"];
    EXPECT_NE(said.find(c.field), std::string::npos) << said;
  }
}

}  // namespace
