// scenario_tool check and the warnings of compile: a check leaves the
// author's folder as it was, reports like compile plus a count, and warnings
// never change the files compile writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "run/error_messages.h"
#include "run/run_sequence.h"
#include "test/run_fixture.h"
#include "test/temp_dir.h"
#include "test/tool_run.h"
#include "tool/cli/tool_main.h"

namespace {

const std::string line_source = "Cendra_Gelsio2_linea.txt";
const std::string train_source = "Cendra_Gelsio2_EC 482-.txt";
const std::vector<std::string> binary_files = {"Cendra_Gelsio2_linea.dat",
                                               "Cendra_Gelsio2_EC 482.sim",
                                               "Cendra_Gelsio2_EC 482.dat"};

// Runs the tool as a shell would, with these arguments after its name.
tool_result run(std::vector<std::string> args) {
  return run_scenario_tool(std::move(args));
}

// Replaces the one line `row` of a CR LF text by `by` (several lines may be
// given, joined by CR LF); the text stays as it was when `row` is missing.
std::string replaced(const std::string& text, const std::string& row,
                     const std::string& by) {
  const std::string whole = "\r\n" + row + "\r\n";
  const std::size_t at = text.find(whole);
  if (at == std::string::npos) return text;
  return text.substr(0, at) + "\r\n" + by + "\r\n" +
         text.substr(at + whole.size());
}

// Every file of a directory with its bytes.
std::vector<std::pair<std::string, std::string>> snapshot(const temp_dir& d) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const std::string& name : d.names())
    files.push_back({name, d.read(name)});
  return files;
}

// An exported scenario with a mistyped signal keyword (line 53 of the train
// source) and a gradient row with a letter in its number (line 103 of the
// line source).
struct scenario_with_warnings {
  temp_dir dir;
  std::string line_warning;   // the first line of each, then its source
  std::string train_warning;  // line with a caret under the field
  std::string line_quote =
      " 103 | pendenza,  3900,   9a\n"
      "     |                    ^~\n";
  std::string train_quote =
      "  53 | segnalle,    3500,   1, 4, 0,  0, 0,    0,  0,0,0, 0\n"
      "     | ^~~~~~~~\n";
  std::string shown() const {
    return line_warning + "\n" + line_quote + train_warning + "\n" +
           train_quote;
  }

  scenario_with_warnings() {
    EXPECT_EQ(run({"export", "--dir", dir.path()}).status, 0);
    dir.write(line_source,
              replaced(dir.read(line_source), "pendenza,  3900,   9",
                       "pendenza,  3900,   9a"));
    dir.write(train_source,
              replaced(dir.read(train_source),
                       "segnale,    3500,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
                       "segnalle,    3500,   1, 4, 0,  0, 0,    0,  0,0,0, 0"));
    line_warning = join_path(dir.path(), line_source) +
                   ":103:20: warning: '9a' is not a plain number: only its "
                   "leading '9' counts";
    train_warning = join_path(dir.path(), train_source) +
                    ":53:1: warning: 'segnalle' is passed over: no row has "
                    "this keyword (did you mean 'segnale'?); the 11 fields "
                    "after it on this line go with it";
  }
};

TEST(scenario_tool_check,
     the_embedded_scenario_checks_clean_and_nothing_is_written) {
  temp_dir dir;
  ASSERT_EQ(run({"export", "--dir", dir.path()}).status, 0);
  const auto before = snapshot(dir);
  tool_result checked = run({"check", "--dir", dir.path(), "--summary"});
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.err, "0 error(s), 0 warning(s)\n");
  EXPECT_EQ(checked.out, "error_code=0 error_position=0\n");
  EXPECT_EQ(snapshot(dir), before);

  // Nor does the plain compile of it say anything.
  tool_result compiled = run({"compile", "--dir", dir.path()});
  EXPECT_EQ(compiled.status, 0);
  EXPECT_EQ(compiled.err, "");
}

TEST(scenario_tool_check,
     warnings_come_sorted_with_a_count_and_change_no_output) {
  scenario_with_warnings s;
  const auto sources = snapshot(s.dir);
  tool_result checked = run({"check", "--dir", s.dir.path()});
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.err, s.shown() + "0 error(s), 2 warning(s)\n");
  EXPECT_EQ(snapshot(s.dir), sources);

  // compile prints the same warnings, without the count, and writes the
  // files the compile step writes when nobody collects warnings.
  tool_result compiled = run({"compile", "--dir", s.dir.path()});
  EXPECT_EQ(compiled.status, 0);
  EXPECT_EQ(compiled.err, s.shown());
  EXPECT_EQ(compiled.out, "wrote 3 files, 2 warnings\n");
  temp_dir reference;
  for (const auto& [name, bytes] : sources) reference.write(name, bytes);
  compile_context ctx = make_test_context(reference.path());
  ctx.files.keep_sources = true;
  ASSERT_TRUE(memorizza_percorso(ctx, 1).ok());
  for (const std::string& name : binary_files) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(s.dir.contains(name));
    EXPECT_EQ(s.dir.read(name), reference.read(name));
  }
}

TEST(scenario_tool_check, werror_counts_warnings_as_errors) {
  scenario_with_warnings s;
  tool_result checked = run({"check", "--dir", s.dir.path(), "--werror"});
  EXPECT_EQ(checked.status, 1);
  auto as_error = [](std::string w) {
    w.replace(w.find(": warning: "), 11, ": error: ");
    return w + " [--werror]";
  };
  EXPECT_EQ(checked.err, as_error(s.line_warning) + "\n" + s.line_quote +
                             as_error(s.train_warning) + "\n" + s.train_quote +
                             "2 error(s), 0 warning(s)\n");

  // Without a warning --werror changes nothing.
  temp_dir clean;
  ASSERT_EQ(run({"export", "--dir", clean.path()}).status, 0);
  EXPECT_EQ(run({"check", "--dir", clean.path(), "--werror"}).status, 0);
}

// Errors are shown as compile shows them, counted, and give status 1, a run
// that stops included; the folder stays as it was, earlier binary files too.
TEST(scenario_tool_check, errors_give_status_1_and_leave_the_folder_alone) {
  const struct {
    const char* note;
    std::string line_row;  // replaced in the line source
    std::string by;
    bool without_train_source;
    std::string first_line;  // of the error stream, after the directory
    std::string count;
  } cases[] = {
      {"a code of the line source: files would be written",
       "ripetizione segnali 4 codici,    25000,    108000",
       "ripetizione segnali 7 codici,    25000,    108000", false,
       line_source + ":9:1: error 5: " + std::string(error_meaning(5)),
       "1 error(s), 0 warning(s)"},
      {"no line length: the run stops", "lunghezza percorso,    108000", "",
       false, line_source + ":", "1 error(s), 0 warning(s)"},
      {"no train source", "", "", true,
       train_source + ": error 25: cannot open ", "1 error(s), 0 warning(s)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    temp_dir dir;
    ASSERT_EQ(run({"export", "--dir", dir.path()}).status, 0);
    if (!c.line_row.empty())
      dir.write(line_source, replaced(dir.read(line_source), c.line_row, c.by));
    if (c.without_train_source) {
      ASSERT_TRUE(std::filesystem::remove(dir.file(train_source)));
    }
    for (const std::string& name : binary_files)
      dir.write(name, "from an earlier compile");
    const auto before = snapshot(dir);

    tool_result checked = run({"check", "--dir", dir.path()});
    EXPECT_EQ(checked.status, 1);
    EXPECT_EQ(checked.err.rfind(join_path(dir.path(), c.first_line), 0), 0u)
        << checked.err;
    EXPECT_NE(checked.err.find("\n" + c.count + "\n"), std::string::npos)
        << checked.err;
    EXPECT_EQ(checked.err.substr(checked.err.size() - c.count.size() - 1),
              c.count + "\n");
    EXPECT_EQ(snapshot(dir), before);
  }
}

// A source that is there but cannot be read: the check reports it exactly as
// compile does, with the disk's own error, and leaves the folder alone. A
// link to this process's memory stands for it: it is a regular file that
// opens, but whose first byte no read can reach, even for root, where no file
// mode keeps a read out.
TEST(scenario_tool_check, an_unreadable_source_is_reported_as_compile_does) {
  const std::string unreadable_target = "/proc/self/mem";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(unreadable_target, ec))
    GTEST_SKIP() << "no " << unreadable_target << " on this system";
  const struct {
    std::string source;
    std::string count;
    const char* note;
  } cases[] = {
      {line_source, "1 error(s), 0 warning(s)",
       "the line source: 25, and so no grid: one error"},
      {train_source, "1 error(s), 0 warning(s)", "the train source: 25"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    temp_dir dir;
    ASSERT_EQ(run({"export", "--dir", dir.path()}).status, 0);
    ASSERT_TRUE(std::filesystem::remove(dir.file(c.source)));
    std::filesystem::create_symlink(unreadable_target, dir.file(c.source), ec);
    ASSERT_FALSE(ec) << ec.message();
    const std::set<std::string> names = dir.names();

    tool_result checked = run({"check", "--dir", dir.path()});
    EXPECT_EQ(checked.status, 1);
    EXPECT_EQ(dir.names(), names);
    tool_result compiled = run({"compile", "--dir", dir.path()});
    EXPECT_NE(compiled.err.find(": error 25: "), std::string::npos)
        << compiled.err;
    EXPECT_NE(compiled.err.find("cannot read " +
                                join_path(dir.path(), c.source) + ": "),
              std::string::npos)
        << compiled.err;
    // Compile closes with what it did not write, check with its count.
    const std::string nothing_written =
        "scenario_tool: no file written: 1 error\n";
    ASSERT_GE(compiled.err.size(), nothing_written.size());
    EXPECT_EQ(compiled.err.substr(compiled.err.size() - nothing_written.size()),
              nothing_written);
    EXPECT_EQ(checked.err, compiled.err.substr(0, compiled.err.size() -
                                                      nothing_written.size()) +
                               c.count + "\n");
  }
}

TEST(scenario_tool_check, help_names_check_and_werror) {
  tool_result help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("check"), std::string::npos) << help.out;
  tool_result check_help = run({"check", "--help"});
  EXPECT_EQ(check_help.status, 0);
  for (const char* word : {"--dir", "--scenario", "--train", "--no-profile",
                           "--summary", "--werror"})
    EXPECT_NE(check_help.out.find(word), std::string::npos) << word;
  // --werror belongs to check alone.
  tool_result bad = run({"compile", "--werror"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("--werror"), std::string::npos) << bad.err;
}

}  // namespace
