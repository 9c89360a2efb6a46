// What the tool reads and shows comes from outside: a FIFO or a device at a
// file's name, a link that leads nowhere, names and text holding terminal
// escape sequences. None of it may make a command wait, write where it
// should not, or reach the terminal as control characters.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test/temp_dir.h"
#include "test/tool_run.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

const std::string line_source = "Cendra_Gelsio2_linea.txt";
const std::string train_source = "Cendra_Gelsio2_EC 482-.txt";

bool has_control(const std::string& text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\n' && c != '\t') || byte == 0x7F) return true;
  }
  return false;
}

#ifndef _WIN32
// A FIFO at the name of a file a command reads: with no writer, a plain
// open waits forever. Each command refuses it at once, naming the file.
TEST(hostile_input, a_fifo_at_a_file_name_is_refused_not_waited_on) {
  temp_dir dir;
  ASSERT_EQ(run_scenario_tool({"export", "--dir", dir.path()}).status, 0);
  ASSERT_EQ(run_scenario_tool({"compile", "--dir", dir.path(), "-q"}).status,
            0);
  const std::string sim = dir.path() + "/Cendra_Gelsio2_EC 482.sim";
  std::filesystem::remove(sim);
  ASSERT_EQ(::mkfifo(sim.c_str(), 0600), 0);
  std::filesystem::remove(dir.path() + "/" + train_source);
  ASSERT_EQ(::mkfifo((dir.path() + "/" + train_source).c_str(), 0600), 0);
  // A source that is a link to an endless device, and a sparse file of
  // 4 GB at a binary's name: neither is read into memory.
  temp_dir linked;
  ASSERT_EQ(run_scenario_tool({"export", "--dir", linked.path()}).status, 0);
  std::filesystem::remove(linked.path() + "/" + line_source);
  std::filesystem::create_symlink("/dev/zero",
                                  linked.path() + "/" + line_source);
  const std::string huge = linked.path() + "/huge.dat";
  linked.write("huge.dat", "");
  std::filesystem::resize_file(huge, std::uintmax_t{4} << 30);
  struct command {
    std::vector<std::string> args;
    const char* note;
    const char* why = "not a regular file";
  };
  const command commands[] = {
      {{"dump", sim}, "dump of a FIFO"},
      {{"dump", "--kind", "track", "/dev/zero"}, "dump of a device"},
      {{"compile", "--dir", dir.path()}, "compile with a FIFO source"},
      {{"check", "--dir", dir.path()}, "check with a FIFO source"},
      {{"explain", dir.path() + "/" + train_source + ":3"},
       "explain of a FIFO source"},
      {{"compile", "--dir", linked.path()}, "a source linked to /dev/zero"},
      {{"check", "--dir", linked.path()}, "the same, checked"},
      {{"dump", huge}, "a sparse file of 4 GB", "larger than"},
  };
  for (const command& c : commands) {
    SCOPED_TRACE(c.note);
    const tool_result r = run_scenario_tool(c.args);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find(c.why), std::string::npos) << r.err;
  }
}

// A link at a name export would write counts as a file there, even when
// it leads nowhere: without --force nothing is replaced.
TEST(hostile_input, a_dangling_link_at_an_output_name_needs_force) {
  temp_dir dir;
  std::filesystem::create_symlink(dir.path() + "/nowhere",
                                  dir.path() + "/" + line_source);
  const tool_result r = run_scenario_tool({"export", "--dir", dir.path()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(line_source + " already exists"), std::string::npos)
      << r.err;
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() + "/" + line_source));
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/nowhere"));
}
#endif

// Names found in a folder and text quoted from a file reach the terminal
// with their control characters escaped: a scenario named with an escape
// sequence is refused as a name typed after --scenario would be, and
// listed escaped beside another pair.
TEST(hostile_input, escape_sequences_in_names_and_text_are_shown_escaped) {
  temp_dir one, two;
  const std::string evil = "evil\x1b]0;owned\x07";
  ASSERT_EQ(run_scenario_tool({"new", "--scenario", "Plain", "--train", "T",
                               "--dir", one.path()})
                .status,
            0);
  std::filesystem::rename(one.path() + "/Plain_linea.txt",
                          one.path() + "/" + evil + "_linea.txt");
  std::filesystem::rename(one.path() + "/Plain_T-.txt",
                          one.path() + "/" + evil + "_T-.txt");
  for (const char* command : {"check", "compile"}) {
    SCOPED_TRACE(command);
    const tool_result r = run_scenario_tool({command, "--dir", one.path()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("evil\\x1B]0;owned\\x07_linea.txt"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("control characters"), std::string::npos) << r.err;
    EXPECT_FALSE(has_control(r.err)) << r.err;
  }

  ASSERT_EQ(run_scenario_tool({"new", "--scenario", "Plain", "--train", "T",
                               "--dir", two.path()})
                .status,
            0);
  two.write(evil + "_linea.txt", two.read("Plain_linea.txt"));
  two.write(evil + "_T-.txt", two.read("Plain_T-.txt"));
  const tool_result listed = run_scenario_tool({"check", "--dir", two.path()});
  EXPECT_EQ(listed.status, 2);
  EXPECT_NE(listed.err.find("--scenario 'evil\\x1B]0;owned\\x07'"),
            std::string::npos)
      << listed.err;
  EXPECT_FALSE(has_control(listed.err)) << listed.err;

  // A source line with an escape sequence, echoed by explain FILE:LINE.
  std::string text = two.read("Plain_T-.txt");
  text.insert(0, "-- \x1b[2J title\r\n");
  two.write("Plain_T-.txt", text);
  const tool_result explained =
      run_scenario_tool({"explain", two.path() + "/Plain_T-.txt:1"});
  EXPECT_EQ(explained.status, 0) << explained.err;
  EXPECT_NE(explained.out.find("\\x1B[2J title"), std::string::npos)
      << explained.out;
  EXPECT_FALSE(has_control(explained.out)) << explained.out;
}

}  // namespace

namespace {

// The OS refuses the last rename of a compile's set (a folder stands at the
// track file's name): the two files already renamed are put back, so the
// folder holds the earlier build, not a mix, and the message says so.
TEST(hostile_input, a_refused_rename_puts_the_earlier_build_back) {
  temp_dir dir;
  ASSERT_EQ(run_scenario_tool({"export", "--dir", dir.path()}).status, 0);
  ASSERT_EQ(run_scenario_tool({"compile", "--dir", dir.path(), "-q"}).status,
            0);
  const std::string profile = dir.read("Cendra_Gelsio2_linea.dat");
  const std::string table = dir.read("Cendra_Gelsio2_EC 482.sim");
  std::string line = dir.read(line_source);
  std::string train = dir.read(train_source);
  line.replace(line.find("curvas2,  1500,  200"), 20, "curvas2,  1500,  250");
  train.replace(train.find(", CENDRA\r"), 9, ", CENDRA NUOVA\r");
  dir.write(line_source, line);
  dir.write(train_source, train);
  std::filesystem::remove(dir.path() + "/Cendra_Gelsio2_EC 482.dat");
  std::filesystem::create_directory(dir.path() + "/Cendra_Gelsio2_EC 482.dat");

  const tool_result r = run_scenario_tool({"compile", "--dir", dir.path()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("the earlier Cendra_Gelsio2_linea.dat and "
                       "Cendra_Gelsio2_EC 482.sim were put back"),
            std::string::npos)
      << r.err;
  EXPECT_TRUE(dir.read("Cendra_Gelsio2_linea.dat") == profile);
  EXPECT_TRUE(dir.read("Cendra_Gelsio2_EC 482.sim") == table);
  for (const std::string& name : dir.names())
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

}  // namespace

namespace {

// A field holding an escape sequence: the message that quotes it and the
// line under it reach the terminal escaped, whatever the colour setting.
TEST(hostile_input, a_field_with_an_escape_sequence_is_quoted_escaped) {
  temp_dir dir;
  ASSERT_EQ(run_scenario_tool({"export", "--dir", dir.path()}).status, 0);
  std::string line = dir.read(line_source);
  const std::string row = "pendenza,  3900,   9";
  ASSERT_NE(line.find(row), std::string::npos);
  line.insert(line.find(row) + row.size(), "\x1b]0;owned\x07");
  dir.write(line_source, line);
  for (const char* colour : {"never", "always"}) {
    SCOPED_TRACE(colour);
    const tool_result r = run_scenario_tool(
        {"check", "--dir", dir.path(), std::string("--color=") + colour});
    EXPECT_NE(r.err.find("]0;owned"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("\x1b]"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\x07'), std::string::npos) << r.err;
  }
}

}  // namespace
