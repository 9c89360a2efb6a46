// What an author sees after the mistakes authors make: each case edits an
// exported scenario that was compiled cleanly before, compiles it again and
// checks the exact report and exit status, and that the earlier build is
// still there byte for byte whenever the compile had an error.
#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "model/line_table.h"
#include "output/file_format.h"
#include "platform/platform.h"
#include "run/error_messages.h"
#include "test/temp_dir.h"
#include "test/tool_run.h"

namespace {

const std::string line_source = "Cendra_Gelsio2_linea.txt";
const std::string train_source = "Cendra_Gelsio2_EC 482-.txt";
const std::string table_file = "Cendra_Gelsio2_EC 482.sim";
const std::vector<std::string> binary_files = {
    "Cendra_Gelsio2_linea.dat", table_file, "Cendra_Gelsio2_EC 482.dat"};

tool_result run(std::vector<std::string> args) {
  return run_scenario_tool(std::move(args));
}

// Line n (from 1) of a CR LF text replaced by `by`; empty when there is no
// such line, so a case that misses its line fails loudly.
std::string with_line(const std::string& text, int n, const std::string& by) {
  std::size_t start = 0;
  for (int i = 1; i < n; ++i) {
    start = text.find("\r\n", start);
    if (start == std::string::npos) return "";
    start += 2;
  }
  const std::size_t end = text.find("\r\n", start);
  if (end == std::string::npos) return "";
  return text.substr(0, start) + by + text.substr(end);
}

// The first `from` replaced by `to`; empty when `from` is not there.
std::string with_text(const std::string& text, const std::string& from,
                      const std::string& to) {
  const std::size_t at = text.find(from);
  if (at == std::string::npos) return "";
  return text.substr(0, at) + to + text.substr(at + from.size());
}

std::map<std::string, std::string> binaries_of(const temp_dir& dir) {
  std::map<std::string, std::string> files;
  for (const std::string& name : binary_files)
    if (std::filesystem::exists(dir.file(name))) files[name] = dir.read(name);
  return files;
}

// Replaces every {L} and {T} by the two sources as the tool shows them.
std::string expand(std::string text, const std::string& dir) {
  const std::pair<std::string, std::string> names[] = {
      {"{L}", join_path(dir, line_source)},
      {"{T}", join_path(dir, train_source)}};
  for (const auto& [mark, path] : names)
    for (std::size_t at = text.find(mark); at != std::string::npos;
         at = text.find(mark, at + path.size()))
      text.replace(at, mark.size(), path);
  return text;
}

struct sources {
  std::string line;
  std::string train;
  bool line_missing = false;
};

struct trust_case {
  const char* note;
  std::function<void(sources&)> edit;
  int status;         // of compile; check gives 1 for any error, 0 otherwise
  std::string err;    // the whole report of compile
  std::string count;  // the closing line of check
};

const std::string nothing_written = "scenario_tool: no file written: 1 error\n";

std::vector<trust_case> trust_cases() {
  const std::string no_general =
      "{T}: error: the train source holds no [generale]: none of its rows is "
      "read\n";
  // A speed limit is stored when the next row is read; the error names the
  // row that wrote it, with the value.
  const std::string speed_fault =
      "error 25: speed limit: -85 km/h is below 0 (speed limits are kept in "
      "units of 5 km/h in one byte)\n";
  return {
      {"a station off the 50 m raster",
       [](sources& s) {
         s.train =
             with_text(s.train, "stazione,   25000,", "stazione,   25020,");
       },
       1,
       "{T}:30:13: error 8: " + std::string(error_meaning(8)) +
           " (at 25020 m)\n"
           "  30 | stazione,   25020, 26,  500,  0, 0, 0,  0,0,0,  0,0,0,    "
           "0,   0, 0, 0, PRALUSCO\n"
           "     |             ^~~~~\n" +
           nothing_written,
       "1 error(s), 0 warning(s)"},
      {"an empty train source", [](sources& s) { s.train.clear(); }, 1,
       no_general + nothing_written, "1 error(s), 0 warning(s)"},
      {"a train source of bytes that are no text",
       [](sources& s) { s.train = "\x93\xa7q\x01zz\xfe\x80 ,,\r\n\x9c~"; }, 1,
       no_general + nothing_written, "1 error(s), 0 warning(s)"},
      {"a train source without its [generale] line",
       [](sources& s) { s.train = with_text(s.train, "[generale]\r\n", ""); },
       1, no_general + nothing_written, "1 error(s), 0 warning(s)"},
      {"a signal row with 10 fields instead of 11",
       [](sources& s) {
         s.train = with_line(
             s.train, 53, "segnale,    3500,   1, 4, 0,  0, 0,    0,  0,0,0");
       },
       1,
       "{T}:54:1: error: 'segnale' is read as a number (0): the row before it "
       "lacks a field, and this signal row is lost\n"
       "  54 | segnale,    5000,   2, 4, 0,  0, 0,    0,  0,0,0, 0\n"
       "     | ^~~~~~~\n"
       "{T}:54:13: warning: '5000' is passed over: a field where a row "
       "keyword should stand (a field too many for the row before, or a row "
       "that lost its keyword); the 10 fields after it on this line go with "
       "it\n"
       "  54 | segnale,    5000,   2, 4, 0,  0, 0,    0,  0,0,0, 0\n"
       "     |             ^~~~\n" +
           nothing_written,
       "1 error(s), 1 warning(s)"},
      {"a train source saved as UTF-16",
       [](sources& s) {
         std::string utf16 = "\xff\xfe";
         for (char c : s.train) {
           utf16 += c;
           utf16 += '\0';
         }
         s.train = utf16;
       },
       1,
       "{T}: error: the train source is UTF-16 text (it begins with the byte "
       "order mark FF FE), so none of its rows is read: save it as "
       "single-byte text (ANSI or Latin-1)\n" +
           nothing_written,
       "1 error(s), 0 warning(s)"},
      {"a NUL byte in a station name",
       [](sources& s) {
         s.train = with_text(s.train, "PRALUSCO", std::string("PRAL\0SCO", 8));
       },
       1,
       "{T}:30:77: error: the train source holds 1 NUL byte(s), the first "
       "here: it is not single-byte text\n"
       "  30 | stazione,   25000, 26,  500,  0, 0, 0,  0,0,0,  0,0,0,    0,   "
       "0, 0, 0, PRAL?SCO\n"
       "     |                                                               "
       "              ^~~~\n" +
           nothing_written,
       "1 error(s), 0 warning(s)"},
      {"a speed limit below 0 in the middle of the speed rows",
       [](sources& s) {
         s.train = with_line(s.train, 12, "velocita, 20000, -85");
       },
       1,
       "{T}:12:18: " + speed_fault +
           "  12 | velocita, 20000, -85\n"
           "     |                  ^~~\n" +
           nothing_written,
       "1 error(s), 0 warning(s)"},
      {"a speed limit below 0 in the last speed row",
       [](sources& s) {
         s.train = with_line(s.train, 25, "velocita, 105700, -85");
       },
       1,
       "{T}:25:19: " + speed_fault +
           "  25 | velocita, 105700, -85\n"
           "     |                   ^~~\n" +
           nothing_written,
       "1 error(s), 0 warning(s)"},
      {"a line too long: one error, no follow-up",
       [](sources& s) {
         s.line = with_line(s.line, 2, "lunghezza percorso,    1080000");
       },
       2,
       "{L}:2:24: error 1: " + std::string(error_meaning(1)) +
           "\n"
           "   2 | lunghezza percorso,    1080000\n"
           "     |                        ^~~~~~~\n" +
           nothing_written,
       "1 error(s), 0 warning(s)"},
      {"a missing line source: one error, no follow-up",
       [](sources& s) { s.line_missing = true; }, 2,
       "{L}: error 101: " + std::string(error_meaning(101)) + "\n" +
           nothing_written,
       "1 error(s), 0 warning(s)"},
      {"a station listed before the station before it",
       [](sources& s) {
         s.train =
             with_text(s.train, "stazione,   25000,", "stazione,   15000,");
       },
       1,
       "{T}:30:13: error 22: " + std::string(error_meaning(22)) +
           " (at 15000 m): this station lies 5000 m before the station before "
           "it (at 20000 m): stations are listed in the order of the line\n"
           "  30 | stazione,   15000, 26,  500,  0, 0, 0,  0,0,0,  0,0,0,    "
           "0,   0, 0, 0, PRALUSCO\n"
           "     |             ^~~~~\n" +
           nothing_written,
       "1 error(s), 0 warning(s)"},
      {"a negative station length: a warning, and the build",
       [](sources& s) {
         s.train = with_text(s.train, "stazione,   25000, 26,  500",
                             "stazione,   25000, 26,  -500");
       },
       0,
       "{T}:30:25: warning: the station length -500 m is below 0: the "
       "platform is stored backwards, from 25250 to 24750 m\n"
       "  30 | stazione,   25000, 26,  -500,  0, 0, 0,  0,0,0,  0,0,0,    0,   "
       "0, 0, 0, PRALUSCO\n"
       "     |                         ^~~~\n",
       "0 error(s), 1 warning(s)"},
  };
}

TEST(failed_compile, reports_exactly_and_keeps_the_earlier_build) {
  for (const trust_case& c : trust_cases()) {
    SCOPED_TRACE(c.note);
    temp_dir dir;
    ASSERT_EQ(run({"export", "--dir", dir.path()}).status, 0);
    ASSERT_EQ(run({"compile", "--dir", dir.path()}).status, 0);
    const auto earlier = binaries_of(dir);
    ASSERT_EQ(earlier.size(), 3u);

    sources s{dir.read(line_source), dir.read(train_source)};
    c.edit(s);
    ASSERT_FALSE(s.line.empty()) << "the edit found its place";
    if (c.note != std::string("an empty train source")) {
      ASSERT_FALSE(s.train.empty()) << "the edit found its place";
    }
    dir.write(line_source, s.line);
    dir.write(train_source, s.train);
    if (s.line_missing) std::filesystem::remove(dir.file(line_source));

    const tool_result compiled = run({"compile", "--dir", dir.path()});
    EXPECT_EQ(compiled.status, c.status);
    EXPECT_EQ(compiled.err, expand(c.err, dir.path()));
    if (c.status != 0) {
      EXPECT_EQ(binaries_of(dir), earlier);
    } else {
      EXPECT_NE(binaries_of(dir), earlier);
    }

    const tool_result checked = run({"check", "--dir", dir.path()});
    EXPECT_EQ(checked.status, c.status == 0 ? 0 : 1);
    const std::string report = compiled.err.substr(
        0, compiled.err.size() - (c.status == 0 ? 0 : nothing_written.size()));
    EXPECT_EQ(checked.err, report + c.count + "\n");
  }
}

// Gradients and adhesion, like speed limits, are stored over a stretch that
// the next row (or the end of the file) closes; a value bent to fit is told
// at the row that wrote it, with the value, in the middle of the rows as at
// the last of them.
TEST(failed_compile, values_stored_later_are_told_at_their_own_row) {
  temp_dir dir;
  ASSERT_EQ(run({"export", "--dir", dir.path()}).status, 0);
  std::string line = dir.read(line_source);
  line = with_line(line, 102, "pendenza,  2300,   200");    // in the middle
  line = with_line(line, 131, "pendenza,  97200,   -120");  // the last
  std::string train = dir.read(train_source);
  train =
      with_line(train, 7, "aderenza,   0,    300\r\naderenza,   50000,    -5");
  ASSERT_FALSE(line.empty() || train.empty());
  dir.write(line_source, line);
  dir.write(train_source, train);
  const tool_result checked = run({"check", "--dir", dir.path()});
  EXPECT_EQ(checked.status, 0);
  std::vector<std::string> firsts;
  std::size_t start = 0;
  while (start < checked.err.size()) {
    const std::size_t end = checked.err.find('\n', start);
    const std::string row = checked.err.substr(start, end - start);
    if (row.find(": warning: ") != std::string::npos) firsts.push_back(row);
    start = end + 1;
  }
  EXPECT_EQ(firsts,
            (std::vector<std::string>{
                expand("{L}:102:20: warning: gradient 200 per mille does not "
                       "fit its byte (-100 to 155): it is stored as -56",
                       dir.path()),
                expand("{L}:131:21: warning: gradient -120 per mille does not "
                       "fit its byte (-100 to 155): it is stored as 136",
                       dir.path()),
                expand("{T}:7:19: warning: adhesion 300 does not fit its byte "
                       "(0 to 255): it is stored as 44",
                       dir.path()),
                expand("{T}:8:23: warning: adhesion -5 does not fit its byte "
                       "(0 to 255): it is stored as 251",
                       dir.path())}))
      << checked.err;
}

// A station name typed in UTF-8: stored byte for byte with a warning that
// shows what the simulator will show, or, with --input-encoding utf-8, as
// single bytes; a character past U+00FF has no single byte and is an error.
TEST(failed_compile, utf8_labels_are_named_and_can_be_converted) {
  temp_dir dir;
  ASSERT_EQ(run({"export", "--dir", dir.path()}).status, 0);
  const std::string train = dir.read(train_source);
  dir.write(train_source, with_text(train, "PRALUSCO", "PRALUSC\xc3\x80"));
  const auto stored_name = [&] {
    line_table table;
    EXPECT_TRUE(decode_line_table(dir.read(table_file), table).ok());
    return table.slots[4].label;
  };

  tool_result plain = run({"compile", "--dir", dir.path()});
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.err, join_path(dir.path(), train_source) +
                           ":30:73: warning: station name 'PRALUSCÀ' is UTF-8 "
                           "text: it is stored byte for byte, as 9 bytes that "
                           "read 'PRALUSCÃ\\x80'; --input-encoding utf-8 "
                           "stores its characters as single bytes\n"
                           "  30 | stazione,   25000, 26,  500,  0, 0, 0,  "
                           "0,0,0,  0,0,0,    0,   0, 0, 0, PRALUSCÃ?\n"
                           "     |                                         "
                           "                                ^~~~~~~~~\n");
  EXPECT_EQ(stored_name(), "PRALUSC\xc3\x80");

  tool_result converted =
      run({"compile", "--dir", dir.path(), "--input-encoding", "utf-8"});
  EXPECT_EQ(converted.status, 0);
  EXPECT_EQ(converted.err, "");
  EXPECT_EQ(stored_name(), "PRALUSC\xc0");

  const auto earlier = binaries_of(dir);
  dir.write(train_source, with_text(train, "PRALUSCO", "PRALUSC\xe2\x82\xac"));
  tool_result euro =
      run({"compile", "--dir", dir.path(), "--input-encoding", "utf-8"});
  EXPECT_EQ(euro.status, 1);
  EXPECT_NE(euro.err.find(":30:73: error: "), std::string::npos) << euro.err;
  EXPECT_NE(euro.err.find("\xe2\x82\xac"), std::string::npos) << euro.err;
  EXPECT_EQ(binaries_of(dir), earlier);
}

// dump, and plot when asked to draw the binaries, still show binaries older
// than their sources, and say so; plot on its own draws the sources.
TEST(failed_compile, plot_and_dump_say_when_the_sources_are_newer) {
  temp_dir dir;
  ASSERT_EQ(run({"export", "--dir", dir.path()}).status, 0);
  ASSERT_EQ(run({"compile", "--dir", dir.path()}).status, 0);
  const std::string svg = join_path(dir.path(), "p.svg");
  const std::string table = join_path(dir.path(), table_file);
  tool_result plotted = run({"plot", "--dir", dir.path(), "--out", svg});
  EXPECT_EQ(plotted.status, 0);
  EXPECT_EQ(plotted.err, "");

  // An edit of the train source after the compile, an hour later.
  const auto later = std::filesystem::last_write_time(dir.file(table_file)) +
                     std::chrono::hours(1);
  std::filesystem::last_write_time(dir.file(train_source), later);
  const std::string stale = "scenario_tool: warning: " +
                            join_path(dir.path(), "Cendra_Gelsio2_EC 482") +
                            "{} is older than " +
                            join_path(dir.path(), train_source) +
                            ": the source was changed after the last compile, "
                            "so what is shown is an earlier build\n";
  const auto for_file = [&](const std::string& ext) {
    return with_text(stale, "{}", ext);
  };
  plotted = run({"plot", "--dir", dir.path(), "--out", svg});
  EXPECT_EQ(plotted.status, 0);
  EXPECT_EQ(plotted.err, "");
  EXPECT_NE(plotted.out.find("from the sources, compiled in memory"),
            std::string::npos);
  plotted = run({"plot", "--dir", dir.path(), "--out", svg, "--from-binaries"});
  EXPECT_EQ(plotted.status, 0);
  EXPECT_EQ(plotted.err, for_file(".dat") + for_file(".sim"));
  EXPECT_TRUE(std::filesystem::exists(svg));

  tool_result dumped = run({"dump", table});
  EXPECT_EQ(dumped.status, 0);
  EXPECT_EQ(dumped.err, for_file(".sim"));
  EXPECT_NE(dumped.out.find("station 1"), std::string::npos);
  dumped = run({"dump", join_path(dir.path(), binary_files[0])});
  EXPECT_EQ(dumped.status, 0);
  EXPECT_EQ(dumped.err, "") << "the profile comes from the line source only";
}

}  // namespace
