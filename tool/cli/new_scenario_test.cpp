// scenario_tool new and export --annotated: the new pair compiles with no
// error and no warning into the rows it holds, its comments are read as
// comments, nothing is overwritten without --force, and comments added to
// the embedded scenario change none of the compiled bytes.
#include "tool/cli/new_scenario.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "scenario/embedded_scenario.h"
#include "scenario/write_document.h"
#include "test/temp_dir.h"
#include "test/tool_run.h"

namespace {

const std::string line_name = "Mine_linea.txt";
const std::string train_name = "Mine_R 1-.txt";

tool_result run_new_in(const temp_dir& dir, bool force = false) {
  std::vector<std::string> args = {"new", "--scenario", "Mine",    "--train",
                                   "R 1", "--dir",      dir.path()};
  if (force) args.push_back("--force");
  return run_scenario_tool(args);
}

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

TEST(new_scenario, checks_with_no_error_and_no_warning) {
  temp_dir dir;
  const tool_result made = run_new_in(dir);
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(dir.names(), (std::set<std::string>{line_name, train_name}));
  const tool_result checked = run_scenario_tool(
      {"check", "--dir", dir.path(), "--scenario", "Mine", "--train", "R 1"});
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.err, "0 error(s), 0 warning(s)\n");
}

TEST(new_scenario, compiles_into_the_rows_it_writes) {
  temp_dir dir;
  ASSERT_EQ(run_new_in(dir).status, 0);
  const tool_result compiled = run_scenario_tool(
      {"compile", "--dir", dir.path(), "--scenario", "Mine", "--train", "R 1"});
  ASSERT_EQ(compiled.status, 0) << compiled.err;
  const tool_result track =
      run_scenario_tool({"dump", dir.file("Mine_R 1.dat")});
  ASSERT_EQ(track.status, 0) << track.err;
  const tool_result table =
      run_scenario_tool({"dump", dir.file("Mine_R 1.sim")});
  ASSERT_EQ(table.status, 0) << table.err;
  for (const char* shown : {
           "cell 21 (1000 m)      signal",          // segnale, 1000
           "[station_slot 1]", "[station_slot 2]",  // both stations' markers
           "1200-9900 m        104  +4 per mille",  // pendenza, 1200, 4
           "80 km/h",                               // velocita, 0, 80
       })
    EXPECT_NE(track.out.find(shown), std::string::npos) << shown;
  for (const char* shown : {"station 1 \"START\", kind 2, at 200 m",
                            "station 2 \"END\", kind 6, at 2500 m",
                            "line length 3000 m, 5 carriages"})
    EXPECT_NE(table.out.find(shown), std::string::npos) << shown;
}

// Each comment line is one field the reader passes over as a comment.
TEST(new_scenario, its_comments_are_read_as_comments) {
  temp_dir dir;
  ASSERT_EQ(run_new_in(dir).status, 0);
  int comments = 0;
  for (const std::string& name : {line_name, train_name}) {
    const std::vector<std::string> lines = lines_of(dir.read(name));
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].rfind("--", 0) != 0) continue;
      SCOPED_TRACE(name + ": " + lines[i]);
      ++comments;
      const tool_result r = run_scenario_tool(
          {"explain", dir.file(name) + ":" + std::to_string(i + 1)});
      ASSERT_EQ(r.status, 0) << r.err;
      EXPECT_NE(r.out.find("'" + lines[i] + "'  a comment: passed over"),
                std::string::npos)
          << r.out;
    }
  }
  // One per kind of row written: three in the line source, eight in the
  // train source.
  EXPECT_EQ(comments, 11);
}

TEST(new_scenario, never_overwrites_without_force) {
  temp_dir dir;
  dir.write(train_name, "mine");
  const tool_result refused = run_new_in(dir);
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("already exists"), std::string::npos);
  EXPECT_FALSE(dir.contains(line_name));  // nothing written at all
  EXPECT_EQ(dir.read(train_name), "mine");
  ASSERT_EQ(run_new_in(dir, true).status, 0);
  EXPECT_NE(dir.read(train_name), "mine");
  EXPECT_TRUE(dir.contains(line_name));
}

TEST(export_annotated, compiles_to_the_bytes_of_the_plain_export) {
  temp_dir plain;
  temp_dir annotated;
  ASSERT_EQ(run_scenario_tool({"export", "--dir", plain.path()}).status, 0);
  ASSERT_EQ(
      run_scenario_tool({"export", "--annotated", "--dir", annotated.path()})
          .status,
      0);
  // The plain export is the program's own bytes; the annotated one adds
  // comment lines only.
  const std::vector<std::uint8_t> program_bytes =
      document_bytes(line_source_document());
  EXPECT_EQ(plain.read("Cendra_Gelsio2_linea.txt"),
            std::string(program_bytes.begin(), program_bytes.end()));
  for (const std::string& name : {std::string("Cendra_Gelsio2_linea.txt"),
                                  std::string("Cendra_Gelsio2_EC 482-.txt")}) {
    std::string without_comments;
    for (const std::string& line : lines_of(annotated.read(name)))
      if (line.rfind("-- ", 0) != 0) without_comments += line + "\r\n";
    EXPECT_EQ(without_comments, plain.read(name)) << name;
    EXPECT_GT(annotated.read(name).size(), plain.read(name).size());
  }
  const tool_result checked =
      run_scenario_tool({"check", "--dir", annotated.path()});
  EXPECT_EQ(checked.err, "0 error(s), 0 warning(s)\n");
  for (const temp_dir* dir : {&plain, &annotated})
    ASSERT_EQ(run_scenario_tool({"compile", "--dir", dir->path()}).status, 0);
  for (const char* binary :
       {"Cendra_Gelsio2_linea.dat", "Cendra_Gelsio2_EC 482.sim",
        "Cendra_Gelsio2_EC 482.dat"})
    EXPECT_EQ(annotated.read(binary), plain.read(binary)) << binary;
}

}  // namespace
