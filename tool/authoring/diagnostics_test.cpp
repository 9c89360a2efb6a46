// What check and compile print, exactly, for a small scenario with one
// mistake of each kind: a reading failure of each field type, a coded row
// error, a taken cell with its note, a marker code shown at its row, a
// warning and a fault of a whole file; the same in colour and as JSON. Then
// every independent error of a source in one run, and the command line.
#include "tool/authoring/diagnostics.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "test/temp_dir.h"
#include "test/tool_run.h"
#include "tool/cli/tool_main.h"

namespace {

const std::string line_source = "S_linea.txt";
const std::string train_source = "S_T-.txt";

const std::string small_line =
    "[generale]\r\n"
    "lunghezza percorso,    3000\r\n"
    "[pendenze]\r\n"
    "pendenza,     0,    0\r\n"
    "[cartelli]\r\n"
    "[indicazioni]\r\n"
    "[fine]\r\n";
const std::string small_train =
    "[generale]\r\n"
    "numero vetture,    5\r\n"
    "[aderenze]\r\n"
    "aderenza,     0,    100\r\n"
    "[vel_limite]\r\n"
    "velocita,     0,    80\r\n"
    "[stazioni]\r\n"
    "stazione,     200,  2,  800,  1, 1, 0,  1,1,0,  2,1,1,    1,   8, 0, 0, "
    "START\r\n"
    "stazione,    2500,  6,  800,  1, 1, 0,  1,1,0,  2,1,1,    0,   8, 4, 0, "
    "END\r\n"
    "[rallentamenti]\r\n"
    "[segnali]\r\n"
    "segnale,    1000,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n"
    "[fine]\r\n";

tool_result run(std::vector<std::string> args) {
  return run_scenario_tool(std::move(args));
}

// The first `from` replaced by `to`; empty when `from` is not there, so a
// case that misses its place fails loudly.
std::string with_text(const std::string& text, const std::string& from,
                      const std::string& to) {
  const std::size_t at = text.find(from);
  if (at == std::string::npos) return "";
  return text.substr(0, at) + to + text.substr(at + from.size());
}

// Terminal colour sequences taken out.
std::string without_colour(const std::string& text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\033') {
      i = text.find('m', i);
      if (i == std::string::npos) break;
      continue;
    }
    plain += text[i];
  }
  return plain;
}

struct diagnostic_case {
  const char* note;
  const char* file;  // the source edited
  std::string from, to;
  std::string shown;  // what check prints, the count line included
};

std::vector<diagnostic_case> diagnostic_cases() {
  return {
      {"a 32-bit field that does not fit", "T", "segnale,    1000,",
       "segnale,    99999999999,",
       "S_T-.txt:12:13: error 25: signal row: position '99999999999' does not "
       "fit: it must lie between -2147483648 and 2147483647\n"
       "  12 | segnale,    99999999999,   2, 4, 0,  0, 0,    0,  0,0,0, 0\n"
       "     |             ^~~~~~~~~~~\n"
       "1 error(s), 0 warning(s)\n"},
      {"a 16-bit field that does not fit", "T",
       "2500,  6,  800,  1, 1, 0,  1,1,0",
       "2500,  6,  800,  1, 1, 0,  99999,1,0",
       "S_T-.txt:9:41: error 25: station row: number a '99999' does not fit: "
       "it must lie between -32768 and 32767\n"
       "   9 | stazione,    2500,  6,  800,  1, 1, 0,  99999,1,0,  2,1,1,    "
       "0, "
       "  8, 4, 0, END\n"
       "     |                                         ^~~~~\n"
       "1 error(s), 0 warning(s)\n"},
      {"an 8-bit field that does not fit", "T", "2500,  6,", "2500,  300,",
       "S_T-.txt:9:21: error 25: station row: kind '300' does not fit: it must "
       "lie between 0 and 255\n"
       "   9 | stazione,    2500,  300,  800,  1, 1, 0,  1,1,0,  2,1,1,    0,  "
       " 8, 4, 0, END\n"
       "     |                     ^~~\n"
       "1 error(s), 0 warning(s)\n"},
      {"a text field the file ends before", "T", "[fine]\r\n",
       "[fine]\r\nstazione,    2600,  6,  800,  1, 1, 0,  1,1,0,  2,1,1,    0, "
       " "
       " 8, 4, 0",
       "S_T-.txt:14:70: error 25: station row: the file ends before its name "
       "(field 17 of 17)\n"
       "  14 | stazione,    2600,  6,  800,  1, 1, 0,  1,1,0,  2,1,1,    0,   "
       "8, 4, 0\n"
       "     |                                                              "
       "        ^\n"
       "S_T-.txt:14:1: warning: a station row after [fine]: it is read all the "
       "same\n"
       "  14 | stazione,    2600,  6,  800,  1, 1, 0,  1,1,0,  2,1,1,    0,   "
       "8, 4, 0\n"
       "     | ^~~~~~~~\n"
       "1 error(s), 1 warning(s)\n"},
      {"a coded error of a row, at the field it is about", "T",
       "stazione,    2500,", "stazione,    2520,",
       "S_T-.txt:9:14: error 8: a station position is not a multiple of 50 (at "
       "2520 m)\n"
       "   9 | stazione,    2520,  6,  800,  1, 1, 0,  1,1,0,  2,1,1,    0,   "
       "8, 4, 0, END\n"
       "     |              ^~~~\n"
       "1 error(s), 0 warning(s)\n"},
      {"a taken cell, with the row that took it", "T", "[fine]\r\n",
       "segnale,    1000,   1, 4, 0,  0, 0,    0,  0,0,0, 0\r\n[fine]\r\n",
       "S_T-.txt:13:13: error 16: a signal falls on a cell that is not free "
       "(at "
       "1000 m)\n"
       "  13 | segnale,    1000,   1, 4, 0,  0, 0,    0,  0,0,0, 0\n"
       "     |             ^~~~\n"
       "S_T-.txt:12:1: note: the cell at 1000 m already holds the signal of "
       "this row\n"
       "  12 | segnale,    1000,   2, 4, 0,  0, 0,    0,  0,0,0, 0\n"
       "     | ^~~~~~~\n"
       "1 error(s), 0 warning(s)\n"},
      {"a marker code, at the row of its slowdown", "T", "[rallentamenti]\r\n",
       "[rallentamenti]\r\nrallentamento,  2000,  120,  0,  0,  0,  0\r\n",
       "S_T-.txt:11:1: error 114: a slowdown has no end cell of its own before "
       "the end of the track grid (at 2050 m)\n"
       "  11 | rallentamento,  2000,  120,  0,  0,  0,  0\n"
       "     | ^~~~~~~~~~~~~\n"
       "S_T-.txt:11:1: note: the markers are placed for the slowdown start of "
       "this row, in track cell 41\n"
       "1 error(s), 0 warning(s)\n"},
      {"a warning", "L", "pendenza,     0,    0", "pendenza,     0,    9a",
       "S_linea.txt:4:21: warning: '9a' is not a plain number: only its "
       "leading '9' counts\n"
       "   4 | pendenza,     0,    9a\n"
       "     |                     ^~\n"
       "0 error(s), 1 warning(s)\n"},
      {"a control character in the quoted line shows as '?'", "L",
       "pendenza,     0,    0", "pendenza,     0,    9a, -- \x1B[2J",
       "S_linea.txt:4:21: warning: '9a' is not a plain number: only its "
       "leading '9' counts\n"
       "   4 | pendenza,     0,    9a, -- ?[2J\n"
       "     |                     ^~\n"
       "0 error(s), 1 warning(s)\n"},
      {"a fault of the whole file", "T", "[generale]\r\n", "",
       "S_T-.txt: error: the train source holds no [generale]: none of its "
       "rows is read\n"
       "1 error(s), 0 warning(s)\n"},
  };
}

// A small scenario in a folder of its own, checked from inside it so that
// the files are shown by their bare names.
struct small_scenario {
  temp_dir dir;
  small_scenario(const std::string& line, const std::string& train) {
    dir.write(line_source, line);
    dir.write(train_source, train);
  }
  tool_result check(std::vector<std::string> more = {}) const {
    std::error_code ec;
    const auto before = std::filesystem::current_path(ec);
    std::filesystem::current_path(dir.path(), ec);
    std::vector<std::string> args = {"check"};
    args.insert(args.end(), more.begin(), more.end());
    tool_result r = run(args);
    std::filesystem::current_path(before, ec);
    return r;
  }
};

TEST(diagnostics, each_kind_is_shown_exactly_in_text_colour_and_json) {
  {
    small_scenario clean(small_line, small_train);
    EXPECT_EQ(clean.check().err, "0 error(s), 0 warning(s)\n");
  }
  for (const diagnostic_case& c : diagnostic_cases()) {
    SCOPED_TRACE(c.note);
    const bool in_line = std::string(c.file) == "L";
    const std::string line =
        in_line ? with_text(small_line, c.from, c.to) : small_line;
    const std::string train =
        in_line ? small_train : with_text(small_train, c.from, c.to);
    ASSERT_FALSE(line.empty() || train.empty()) << "the edit found its place";
    small_scenario s(line, train);

    const tool_result plain = s.check();
    EXPECT_EQ(plain.err, c.shown);
    EXPECT_EQ(plain.err.find('\033'), std::string::npos);
    const std::size_t count_line = c.shown.rfind('\n', c.shown.size() - 2);
    const bool clean = c.shown.compare(count_line + 1, 10, "0 error(s)") == 0;
    EXPECT_EQ(plain.status, clean ? 0 : 1);

    // In colour the same text, with the level in its colour.
    const tool_result coloured = s.check({"--color=always"});
    EXPECT_EQ(without_colour(coloured.err), c.shown);
    const bool has_error = c.shown.find(": error") != std::string::npos;
    EXPECT_EQ(coloured.err.find("\033[1;31merror") != std::string::npos,
              has_error);
    EXPECT_EQ(coloured.err.find("\033[1;35mwarning") != std::string::npos,
              c.shown.find(": warning:") != std::string::npos);
    EXPECT_EQ(coloured.err.find("\033[1;36mnote") != std::string::npos,
              c.shown.find(": note:") != std::string::npos);

    // As JSON, one object per diagnostic with the place and the words of
    // the text; nothing else on the error stream.
    const tool_result json = s.check({"--diagnostics-format=json"});
    EXPECT_EQ(json.status, plain.status);
    const nlohmann::json all = nlohmann::json::parse(json.err, nullptr, false);
    ASSERT_TRUE(all.is_array()) << json.err;
    ASSERT_FALSE(all.empty());
    const nlohmann::json& first = all.front();
    const std::string first_line = c.shown.substr(0, c.shown.find('\n'));
    std::string place = first["file"].get<std::string>();
    if (first["line"] != 0)
      place += ":" + std::to_string(first["line"].get<int>()) + ":" +
               std::to_string(first["column"].get<int>());
    std::string level = first["severity"].get<std::string>();
    if (!first["code"].is_null())
      level += " " + std::to_string(first["code"].get<int>());
    EXPECT_EQ(place + ": " + level + ": " + first["message"].get<std::string>(),
              first_line);
  }
}

// One exact example of each form, for the taken cell: a coloured terminal
// and the JSON an editor reads.
TEST(diagnostics, a_taken_cell_in_colour_and_in_json) {
  small_scenario s(small_line,
                   with_text(small_train, "[fine]\r\n",
                             "segnale,    1000,   1, 4, 0,  0, 0,    0,  "
                             "0,0,0, 0\r\n[fine]\r\n"));
  EXPECT_EQ(s.check({"--color=always"}).err,
            "\033[1mS_T-.txt:13:13: \033[0m\033[1;31merror 16:\033[0m "
            "\033[1ma signal falls on a cell that is not free (at 1000 "
            "m)\033[0m\n"
            "  13 | segnale,    1000,   1, 4, 0,  0, 0,    0,  0,0,0, 0\n"
            "     |             \033[1;32m^~~~\033[0m\n"
            "\033[1mS_T-.txt:12:1: \033[0m\033[1;36mnote:\033[0m \033[1mthe "
            "cell at 1000 m already holds the signal of this row\033[0m\n"
            "  12 | segnale,    1000,   2, 4, 0,  0, 0,    0,  0,0,0, 0\n"
            "     | \033[1;32m^~~~~~~\033[0m\n"
            "1 error(s), 0 warning(s)\n");
  EXPECT_EQ(nlohmann::json::parse(s.check({"--diagnostics-format=json"}).err),
            nlohmann::json::parse(R"json([{
              "file": "S_T-.txt", "line": 13, "column": 13, "end_column": 17,
              "severity": "error", "code": 16,
              "message": "a signal falls on a cell that is not free (at 1000 m)",
              "notes": [{
                "file": "S_T-.txt", "line": 12, "column": 1, "end_column": 8,
                "severity": "note", "code": null,
                "message": "the cell at 1000 m already holds the signal of this row",
                "notes": []}]
}])json"));
}

// Colour comes by itself only on a terminal, and NO_COLOR turns it off.
TEST(diagnostics, colour_follows_the_terminal_and_no_color) {
  small_scenario s(small_line, with_text(small_train, "stazione,    2500,",
                                         "stazione,    2520,"));
  const auto check_on = [&](bool terminal) {
    std::error_code ec;
    const auto before = std::filesystem::current_path(ec);
    std::filesystem::current_path(s.dir.path(), ec);
    std::string args[] = {"scenario_tool", "check"};
    char* argv[] = {args[0].data(), args[1].data(), nullptr};
    std::ostringstream out, err;
    (void)run_tool(2, argv, out, err, terminal);
    std::filesystem::current_path(before, ec);
    return err.str().find('\033') != std::string::npos;
  };
  const char* saved = std::getenv("NO_COLOR");
  const std::string saved_value = saved != nullptr ? saved : "";
  ::unsetenv("NO_COLOR");
  EXPECT_TRUE(check_on(true));
  EXPECT_FALSE(check_on(false));
  ::setenv("NO_COLOR", "1", 1);
  EXPECT_FALSE(check_on(true));
  if (saved != nullptr)
    ::setenv("NO_COLOR", saved_value.c_str(), 1);
  else
    ::unsetenv("NO_COLOR");
  EXPECT_EQ(s.check({"--color=always"}).err.find('\033') != std::string::npos,
            true);
}

// The lines "FILE:LINE:COLUMN: error ..." of a report, in order.
std::vector<std::string> error_lines(const std::string& report) {
  std::vector<std::string> found;
  std::istringstream in(report);
  for (std::string line; std::getline(in, line);)
    if (line.find(": error ") != std::string::npos ||
        line.find(": error:") != std::string::npos)
      found.push_back(line);
  return found;
}

// Five independent mistakes in an exported scenario, one in the line source
// and four in the train source, are all shown by one check, in file order;
// they are the five that fixing the first error and checking again shows,
// one round at a time.
TEST(diagnostics, every_independent_error_in_one_run) {
  temp_dir dir;
  ASSERT_EQ(run({"export", "--dir", dir.path()}).status, 0);
  const std::string line_file = "Cendra_Gelsio2_linea.txt";
  const std::string train_file = "Cendra_Gelsio2_EC 482-.txt";
  const std::string line = dir.read(line_file);
  const std::string train = dir.read(train_file);
  struct mistake {
    bool in_line;
    std::string row, wrong;
  };
  const std::vector<mistake> mistakes = {
      {true, "ripetizione segnali 4 codici,    25000,    108000",
       "ripetizione segnali 4 codici,    25010,    108000"},
      {false, "velocita,    6100,   110", "velocita,    6100,   -110"},
      {false, "stazione,   25000, 26,  500", "stazione,   25020, 26,  500"},
      {false, "stazione,   31000, 12,  600", "stazione,   31000, 12,  650"},
      {false, "segnale,    5000,   2, 4", "segnale,    3500,   2, 4"},
  };
  std::string wrong_line = line;
  std::string wrong_train = train;
  for (const mistake& m : mistakes) {
    std::string& text = m.in_line ? wrong_line : wrong_train;
    text = with_text(text, m.row, m.wrong);
    ASSERT_FALSE(text.empty()) << m.row;
  }
  dir.write(line_file, wrong_line);
  dir.write(train_file, wrong_train);

  const tool_result once = run({"check", "--dir", dir.path()});
  EXPECT_EQ(once.status, 1);
  const std::vector<std::string> all = error_lines(once.err);
  ASSERT_EQ(all.size(), mistakes.size()) << once.err;
  EXPECT_NE(once.err.find("\n5 error(s), 0 warning(s)\n"), std::string::npos);

  // Round by round: the first error shown is mended, and the check runs
  // again, until none is left.
  std::vector<std::string> rounds;
  for (std::size_t round = 0; round <= mistakes.size(); ++round) {
    const tool_result r = run({"check", "--dir", dir.path()});
    const std::vector<std::string> shown = error_lines(r.err);
    if (shown.empty()) break;
    rounds.push_back(shown.front());
    bool mended = false;
    for (const mistake& m : mistakes) {
      const std::string& file = m.in_line ? line_file : train_file;
      std::string text = dir.read(file);
      const std::size_t at = text.find(m.wrong);
      if (at == std::string::npos) continue;
      // The row of the first error is the one mended.
      const std::string place =
          join_path(dir.path(), file) + ":" +
          std::to_string(
              1 + std::count(text.begin(),
                             text.begin() + static_cast<std::ptrdiff_t>(at),
                             '\n')) +
          ":";
      if (shown.front().rfind(place, 0) != 0) continue;
      dir.write(file, with_text(text, m.wrong, m.row));
      mended = true;
      break;
    }
    ASSERT_TRUE(mended) << "no mistake at " << shown.front();
  }
  EXPECT_EQ(rounds, all);
  EXPECT_EQ(dir.read(line_file), line);
  EXPECT_EQ(dir.read(train_file), train);
}

// Gradient rows on one line of the small line source, the row `faulty` of
// them with a letter in its value.
std::string gradients_on_one_line(int rows, int faulty) {
  std::string line;
  for (int i = 0; i < rows; ++i)
    line += (i == 0 ? "" : ", ") + std::string("pendenza, ") +
            std::to_string(i * 50) + (i == faulty ? ", 9a" : ", 0");
  return with_text(small_line, "pendenza,     0,    0", line);
}

// The most memory the process has held so far.
long peak_memory_kb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The lines of a text.
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A line longer than max_quoted_columns is quoted as the stretch around the
// field, with "..." where it goes on, and the caret still stands under the
// field; at either end of the line the stretch begins or ends there.
TEST(diagnostics, a_long_line_is_quoted_around_its_field) {
  const struct {
    int faulty;  // which of the 40 rows
    bool cut_before, cut_after;
    const char* note;
  } cases[] = {
      {0, false, true, "the field near the line's start"},
      {20, true, true, "the field in the middle"},
      {39, true, false, "the field at the line's end"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    const std::string line = gradients_on_one_line(40, c.faulty);
    small_scenario s(line, small_train);
    const tool_result r = s.check();
    const std::vector<std::string> shown = lines_of(r.err);
    ASSERT_EQ(shown.size(), 4u) << r.err;
    EXPECT_EQ(shown[3], "0 error(s), 1 warning(s)");
    const std::string prefix = "   4 | ";
    ASSERT_EQ(shown[1].rfind(prefix, 0), 0u) << shown[1];
    ASSERT_EQ(shown[2].rfind("     | ", 0), 0u) << shown[2];
    std::string quoted = shown[1].substr(prefix.size());
    std::string caret = shown[2].substr(prefix.size());
    EXPECT_EQ(quoted.rfind("...", 0) == 0, c.cut_before) << quoted;
    EXPECT_EQ(quoted.size() >= 3 && quoted.substr(quoted.size() - 3) == "...",
              c.cut_after)
        << quoted;
    EXPECT_LE(quoted.size(), max_quoted_columns + 6);
    // The caret stands under the faulty value, which the window shows whole.
    const std::size_t mark = caret.find('^');
    ASSERT_NE(mark, std::string::npos);
    EXPECT_EQ(caret.substr(mark), "^~");
    EXPECT_EQ(caret.find_first_not_of(' '), mark);
    EXPECT_EQ(quoted.substr(mark, 2), "9a") << quoted << "\n" << caret;
    // What is shown is the line's own text.
    if (c.cut_before) quoted.erase(0, 3);
    if (c.cut_after) quoted.erase(quoted.size() - 3);
    EXPECT_NE(line.find(quoted), std::string::npos) << quoted;
  }
}

// 20,000 faulty values on one line of 340 KB: each diagnostic quotes its
// line without a copy of it, and shows a bounded stretch of it. The check
// took 20 s and 1.8 GB when each diagnostic held its own copy and printed
// it whole, and ran out of 4 GB at 50,000.
TEST(diagnostics, twenty_thousand_faults_on_one_line_cost_bounded_time_output) {
  constexpr int faults = 20000;
  std::string line = small_line;
  std::string rows;
  for (int i = 0; i < faults; ++i) rows += "pendenza, 0, 9a, ";
  line = with_text(line, "pendenza,     0,    0", rows + "pendenza, 0, 0");
  small_scenario s(line, small_train);
  const long peak_before_kb = peak_memory_kb();
  const auto start = std::chrono::steady_clock::now();
  const tool_result r = s.check();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  const long grown_kb = peak_memory_kb() - peak_before_kb;
  std::printf(
      "%d faults on one line: checked in %.2f s, %zu bytes shown, peak "
      "memory grown by %ld KB\n",
      faults, seconds, r.err.size(), grown_kb);
  // Each value is told, and each row that does not lie beyond the one before.
  std::size_t warnings = 0;
  for (std::size_t at = r.err.find(": warning: "); at != std::string::npos;
       at = r.err.find(": warning: ", at + 1))
    ++warnings;
  EXPECT_GE(warnings, static_cast<std::size_t>(faults));
  EXPECT_LT(r.err.size(), warnings * 600);
  EXPECT_LT(seconds, 10.0);
  EXPECT_LT(grown_kb, 256 * 1024);
}

// The command line: the version, help for the tool and for a command, a
// word it may have meant for a mistyped command or option, export making
// its folder, and the one pair of sources in a folder found by itself.
TEST(diagnostics, the_command_line_as_people_expect_it) {
  const tool_result version = run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("scenario_tool ", 0), 0u) << version.out;

  const tool_result help = run({"help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, run({"--help"}).out);
  const tool_result help_check = run({"help", "check"});
  EXPECT_EQ(help_check.status, 0);
  EXPECT_EQ(help_check.out, run({"check", "--help"}).out);
  EXPECT_NE(help_check.out.find("--werror"), std::string::npos);
  EXPECT_EQ(help_check.out.find("--write-on-error"), std::string::npos)
      << "each command shows only what applies to it";

  const struct {
    std::vector<std::string> args;
    std::string first_line;
  } slips[] = {
      {{"compil"},
       "scenario_tool: error: unknown command 'compil' (did you mean "
       "'compile'?); the commands are export, compile, check, dump, pack, "
       "plot, "
       "explain, new, lsp and view"},
      {{"help", "chek"},
       "scenario_tool: error: unknown command 'chek' (did you mean 'check'?); "
       "the commands are export, compile, check, dump, pack, plot, explain, "
       "new, "
       "lsp and view"},
      {{"compile", "--summry"},
       "scenario_tool: error: compile has no option '--summry' (did you mean "
       "'--summary'?)"},
      {{"compile", "--werror"},
       "scenario_tool: error: compile has no option '--werror' (it is an "
       "option of check)"},
      {{"check", "--max-erors=3"},
       "scenario_tool: error: check has no option '--max-erors' (did you mean "
       "'--max-errors'?)"},
      {{"check", "--frobnicate"},
       "scenario_tool: error: check has no option '--frobnicate'"},
  };
  for (const auto& slip : slips) {
    const tool_result r = run(slip.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), slip.first_line);
  }

  temp_dir dir;
  const std::string deeper = join_path(join_path(dir.path(), "a"), "b");
  ASSERT_EQ(run({"export", "--dir", deeper}).status, 0);
  EXPECT_TRUE(
      std::filesystem::exists(join_path(deeper, "Cendra_Gelsio2_linea.txt")));

  // One pair of other names in the folder: compile and check take it.
  temp_dir other;
  other.write("Mia_linea.txt", small_line);
  other.write("Mia_Treno 9-.txt", small_train);
  EXPECT_EQ(run({"check", "--dir", other.path()}).err,
            "0 error(s), 0 warning(s)\n");
  const tool_result compiled = run({"compile", "--dir", other.path(), "-q"});
  EXPECT_EQ(compiled.status, 0) << compiled.err;
  EXPECT_TRUE(other.contains("Mia_Treno 9.sim"));
  // A second pair: the folder's pairs are listed, and nothing is compiled
  // until one is named.
  other.write("Zia_linea.txt", small_line);
  other.write("Zia_Bus-.txt", small_train);
  const tool_result several = run({"check", "--dir", other.path()});
  EXPECT_EQ(several.status, 2);
  EXPECT_EQ(several.err, "scenario_tool: error: " + other.path() +
                             " holds the sources of 2 scenarios; name one "
                             "with --scenario and --train:\n"
                             "  --scenario 'Mia' --train 'Treno 9'\n"
                             "  --scenario 'Zia' --train 'Bus'\n");
  EXPECT_EQ(run({"check", "--dir", other.path(), "--scenario", "Zia"}).status,
            0);
}

}  // namespace
