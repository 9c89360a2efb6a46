// Every file operation of a whole run, made to fail in turn, in a directory
// that already holds the six files of an earlier run. Whatever fails, the
// user is told which file, the exit status says the run did not go through
// cleanly, no file is left half written, and no file is removed that the run
// would not remove anyway.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/memory_disk.h"
#include "run/run_sequence.h"
#include "test/run_fixture.h"
#include "test/temp_dir.h"

namespace {

const std::string line_source = "Cendra_Gelsio2_linea.txt";
const std::string train_source = "Cendra_Gelsio2_EC 482-.txt";
const std::string notes = "Cendra_Gelsio2_EC 482_note.txt";
const std::string form = "Cendra_Gelsio2_EC 482_rallentamenti.txt";
const std::string card = "Cendra_Gelsio2_EC 482_scheda_treno.txt";
const std::string profile = "Cendra_Gelsio2_linea.dat";
const std::string table = "Cendra_Gelsio2_EC 482.sim";
const std::string track = "Cendra_Gelsio2_EC 482.dat";
const std::vector<std::string> six_files = {notes,   form,  card,
                                            profile, table, track};

enum class operation { replace, read, remove };

struct fault_case {
  operation op;
  std::string file;
  int status;
  std::int32_t error_code;
  std::set<std::string> unchanged;     // of the six: still the earlier bytes
  std::set<std::string> sources_left;  // source files still on disk
  const char* note;
};

// In the order the run reaches them. A fault in a writer or in the output
// stops the run (status 2) and leaves every later file as it was. A source
// that cannot be read or removed is a reading failure (25): the sources are
// removed where they can be, and the run goes on and writes its output from
// what was read (status 1), unless the line length was never read, which
// leaves no grid and so no output (status 2).
const fault_case cases[] = {
    {operation::replace,
     line_source,
     2,
     0,
     {notes, form, card, profile, table, track},
     {},
     "writing the line source"},
    {operation::replace,
     train_source,
     2,
     0,
     {notes, form, card, profile, table, track},
     {line_source},
     "writing the train source"},
    {operation::replace,
     notes,
     2,
     0,
     {notes, form, card, profile, table, track},
     {line_source, train_source},
     "writing the notes"},
    {operation::replace,
     form,
     2,
     0,
     {form, card, profile, table, track},
     {line_source, train_source},
     "writing the slowdown order form"},
    {operation::replace,
     card,
     2,
     0,
     {card, profile, table, track},
     {line_source, train_source},
     "writing the train card"},
    {operation::read,
     line_source,
     2,
     25,
     {profile, table, track},
     {},
     "reading the line source: no grid, no output"},
    {operation::remove,
     line_source,
     1,
     25,
     {},
     {line_source},
     "removing the line source: the train source is not read"},
    {operation::read, train_source, 1, 25, {}, {}, "reading the train source"},
    {operation::remove,
     train_source,
     1,
     25,
     {},
     {train_source},
     "removing the train source"},
    {operation::replace,
     profile,
     2,
     0,
     {profile, table, track},
     {},
     "writing the line profile file"},
    {operation::replace,
     table,
     2,
     0,
     {table, track},
     {},
     "writing the line table file"},
    {operation::replace, track, 2, 0, {track}, {}, "writing the track file"},
};

void set_fault(platform_files& files, const fault_case& c) {
  switch (c.op) {
    case operation::replace:
      files.fail_create = c.file;
      break;
    case operation::read:
      files.fail_read = c.file;
      break;
    case operation::remove:
      files.fail_remove = c.file;
      break;
  }
}

class fault_injection : public ::testing::Test {
 protected:
  // The six files of an earlier run. They differ from what this run writes
  // (an older build left them), so every file shows whether it was replaced.
  static void SetUpTestSuite() {
    temp_dir dir;
    compile_context ctx = make_test_context(dir.path());
    ASSERT_TRUE(run_program(ctx).ok());
    earlier_ = new std::map<std::string, std::string>;
    for (const std::string& name : six_files)
      (*earlier_)[name] = dir.read(name) + "\r\nearlier run\r\n";
  }
  static void TearDownTestSuite() { delete earlier_; }
  static std::map<std::string, std::string>* earlier_;
};
std::map<std::string, std::string>* fault_injection::earlier_ = nullptr;

TEST_F(fault_injection, every_file_operation_failing_in_turn) {
  for (const fault_case& c : cases) {
    SCOPED_TRACE(c.note);
    temp_dir dir;
    for (const auto& [name, bytes] : *earlier_) dir.write(name, bytes);
    compile_context ctx = make_test_context(dir.path());
    set_fault(ctx.files, c);
    step_result r = run_program(ctx);

    EXPECT_EQ(exit_status(ctx, r), c.status);
    EXPECT_EQ(ctx.error_code, c.error_code);
    ASSERT_EQ(ctx.files.messages.size(), 1u);
    EXPECT_NE(ctx.files.messages[0].find(c.file), std::string::npos)
        << ctx.files.messages[0];

    // The same run on a memory disk gives the bytes each replaced file must
    // hold in full; no temporary file may be left over.
    memory_disk disk;
    for (const auto& [name, bytes] : *earlier_) disk.files[name] = bytes;
    compile_context reference = make_test_context("");
    reference.files.memory = &disk;
    set_fault(reference.files, c);
    (void)run_program(reference);

    std::set<std::string> expected_names(six_files.begin(), six_files.end());
    expected_names.insert(c.sources_left.begin(), c.sources_left.end());
    EXPECT_EQ(dir.names(), expected_names);
    for (const std::string& name : six_files) {
      SCOPED_TRACE(name);
      const std::string bytes = dir.read(name);
      if (c.unchanged.count(name) != 0) {
        EXPECT_TRUE(bytes == earlier_->at(name)) << "replaced";
      } else {
        EXPECT_TRUE(bytes != earlier_->at(name)) << "not replaced";
        EXPECT_TRUE(bytes == disk.files[name]) << "not complete";
      }
    }
  }
}

}  // namespace
