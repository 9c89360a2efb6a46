#include "run/run_sequence.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "scenario/write_document.h"
#include "test/run_fixture.h"
#include "test/temp_dir.h"

namespace {

const std::set<std::string> six_files = {
    "Cendra_Gelsio2_EC 482_note.txt",
    "Cendra_Gelsio2_EC 482_rallentamenti.txt",
    "Cendra_Gelsio2_EC 482_scheda_treno.txt",
    "Cendra_Gelsio2_linea.dat",
    "Cendra_Gelsio2_EC 482.sim",
    "Cendra_Gelsio2_EC 482.dat",
};

TEST(run_program, leaves_three_documents_and_three_binary_files) {
  temp_dir dir;
  compile_context ctx = make_test_context(dir.path());
  step_result r = run_program(ctx);
  EXPECT_TRUE(r.ok()) << r.detail;
  EXPECT_EQ(ctx.error_code, 0);
  EXPECT_EQ(exit_status(ctx, r), 0);
  EXPECT_EQ(dir.names(), six_files);
  EXPECT_TRUE(ctx.files.messages.empty());
}

TEST(run_program, two_runs_give_identical_files) {
  temp_dir first, second;
  compile_context a = make_test_context(first.path());
  compile_context b = make_test_context(second.path());
  ASSERT_TRUE(run_program(a).ok());
  ASSERT_TRUE(run_program(b).ok());
  for (const std::string& name : six_files) {
    SCOPED_TRACE(name);
    EXPECT_EQ(first.read(name), second.read(name));
  }
}

TEST(run_program, earlier_longer_files_are_replaced_completely) {
  temp_dir dir;
  compile_context fresh = make_test_context(dir.path());
  ASSERT_TRUE(run_program(fresh).ok());
  std::string notes = dir.read("Cendra_Gelsio2_EC 482_note.txt");
  std::string track = dir.read("Cendra_Gelsio2_EC 482.dat");
  dir.write("Cendra_Gelsio2_EC 482_note.txt", std::string(10000, 'x'));
  dir.write("Cendra_Gelsio2_EC 482.dat", std::string(100000, 'x'));
  compile_context again = make_test_context(dir.path());
  ASSERT_TRUE(run_program(again).ok());
  EXPECT_EQ(dir.read("Cendra_Gelsio2_EC 482_note.txt"), notes);
  EXPECT_EQ(dir.read("Cendra_Gelsio2_EC 482.dat"), track);
}

// A file fault in any writer ends the run at once: the message names the
// file, files written before stay, nothing after it is written.
TEST(run_program, writer_fault_stops_the_run_there) {
  struct {
    std::string failing;
    std::set<std::string> left;
  } cases[] = {
      {"Cendra_Gelsio2_linea.txt", {}},
      {"Cendra_Gelsio2_EC 482-.txt", {"Cendra_Gelsio2_linea.txt"}},
      {"Cendra_Gelsio2_EC 482_note.txt",
       {"Cendra_Gelsio2_linea.txt", "Cendra_Gelsio2_EC 482-.txt"}},
      {"Cendra_Gelsio2_EC 482_rallentamenti.txt",
       {"Cendra_Gelsio2_linea.txt", "Cendra_Gelsio2_EC 482-.txt",
        "Cendra_Gelsio2_EC 482_note.txt"}},
      {"Cendra_Gelsio2_EC 482_scheda_treno.txt",
       {"Cendra_Gelsio2_linea.txt", "Cendra_Gelsio2_EC 482-.txt",
        "Cendra_Gelsio2_EC 482_note.txt",
        "Cendra_Gelsio2_EC 482_rallentamenti.txt"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failing);
    temp_dir dir;
    compile_context ctx = make_test_context(dir.path());
    ctx.files.fail_create = c.failing;
    step_result r = run_program(ctx);
    EXPECT_EQ(r.code, step_code::file_fault);
    EXPECT_EQ(exit_status(ctx, r), 2);
    EXPECT_EQ(dir.names(), c.left);
    ASSERT_EQ(ctx.files.messages.size(), 1u);
    EXPECT_NE(ctx.files.messages[0].find(c.failing), std::string::npos);
  }
}

TEST(run_program, fault_on_a_binary_file_keeps_the_earlier_one) {
  temp_dir dir;
  compile_context first = make_test_context(dir.path());
  ASSERT_TRUE(run_program(first).ok());
  std::string table = dir.read("Cendra_Gelsio2_EC 482.sim");
  dir.write("Cendra_Gelsio2_EC 482.sim", "earlier good file");

  compile_context ctx = make_test_context(dir.path());
  ctx.files.fail_create = "Cendra_Gelsio2_EC 482.sim";
  step_result r = run_program(ctx);
  EXPECT_EQ(r.code, step_code::file_fault);
  EXPECT_NE(r.detail.find("Cendra_Gelsio2_EC 482.sim"), std::string::npos);
  EXPECT_EQ(dir.read("Cendra_Gelsio2_EC 482.sim"), "earlier good file");
  EXPECT_FALSE(dir.contains("Cendra_Gelsio2_EC 482.sim.tmp"));
}

TEST(memorizza_percorso, no_grid_ends_the_run_without_output) {
  temp_dir dir;
  compile_context ctx = make_test_context(dir.path());
  dir.write("Cendra_Gelsio2_linea.txt", "no section here\r\n");
  dir.write("Cendra_Gelsio2_EC 482-.txt", "[generale]\r\n[fine]\r\n");
  step_result r = memorizza_percorso(ctx, 1);
  EXPECT_EQ(r.code, step_code::no_grid);
  EXPECT_EQ(ctx.error_code, 102);
  EXPECT_EQ(exit_status(ctx, r), 2);
  // The line source is removed; the train source was never opened.
  EXPECT_EQ(dir.names(), std::set<std::string>{"Cendra_Gelsio2_EC 482-.txt"});
}

TEST(memorizza_percorso, missing_line_source_is_101_and_removes_nothing) {
  temp_dir dir;
  compile_context ctx = make_test_context(dir.path());
  dir.write("Cendra_Gelsio2_EC 482-.txt", "[generale]\r\n[fine]\r\n");
  step_result r = memorizza_percorso(ctx, 1);
  EXPECT_EQ(r.code, step_code::no_grid);
  EXPECT_EQ(ctx.error_code, 101);
  EXPECT_TRUE(dir.contains("Cendra_Gelsio2_EC 482-.txt"));
}

TEST(memorizza_percorso, clears_the_error_slot_and_the_line_table) {
  temp_dir dir;
  compile_context ctx = make_test_context(dir.path());
  ctx.error_code = 7;
  ctx.error_position = 123;
  ctx.table.slots[0].label = "left over";
  ctx.table.slots[40].from_m = 5;
  (void)memorizza_percorso(ctx, 1);
  EXPECT_EQ(ctx.error_code, 101);
  EXPECT_EQ(ctx.error_position, 0);
  EXPECT_EQ(ctx.table.slots[0].label, "");
  EXPECT_EQ(ctx.table.slots[40].from_m, 0);
  EXPECT_EQ(ctx.write_flag, 1);
}

}  // namespace

namespace {

TEST(report_outcome, tells_the_user_what_the_run_ended_with) {
  struct {
    step_code stop;
    std::string detail;
    std::int32_t code;
    std::int32_t position;
    std::string expected;  // the one message shown; empty: none
    int status;
  } cases[] = {
      {step_code::ok, "", 0, 0, "", 0},
      {step_code::ok, "", 6, 6150,
       "genera_scenario: error 6: an indicator board with text falls on a "
       "cell that is not free (at 6150 m)",
       1},
      {step_code::ok, "", 24, 777,
       "genera_scenario: error 24: a station's marker would lie in cell 1 or "
       "below",
       1},
      {step_code::header_check, "1250", 0, 0, " Errore n. 1250", 2},
      {step_code::header_check, "1251", 16, 5, " Errore n. 1251", 2},
      {step_code::no_grid, "no output written", 102, 0,
       "genera_scenario: error 102: the line source holds no [generale] "
       "section; no output written",
       2},
      {step_code::file_fault, "cannot write /x/y.dat: No space", 0, 0,
       "genera_scenario: cannot write /x/y.dat: No space", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    compile_context ctx = make_test_context("/nonexistent");
    ctx.error_code = c.code;
    ctx.error_position = c.position;
    step_result r{c.stop, c.detail};
    report_outcome(ctx, r);
    if (c.expected.empty()) {
      EXPECT_TRUE(ctx.files.messages.empty());
    } else {
      EXPECT_EQ(ctx.files.messages, std::vector<std::string>{c.expected});
    }
    EXPECT_EQ(exit_status(ctx, r), c.status);
  }
}

}  // namespace

namespace {

// A taken header place stops the run before any binary file is written: the
// files of an earlier run stay as they were.
TEST(memorizza_percorso, header_checks_stop_before_any_binary_file) {
  struct {
    std::string train_row;
    std::string number;
    const char* note;
  } cases[] = {
      {"segnale, 10, 2, 4,0,0, 0, 0, 0,0,0, 0", "1250",
       "a signal in cell 1 gives it a value1"},
      {"rallentamento, 0, 0, 500, 0, 0, 5", "1251",
       "a slowdown start in cell 1 with speed 0 and a second speed"},
  };
  const std::string binaries[] = {"Cendra_Gelsio2_linea.dat",
                                  "Cendra_Gelsio2_EC 482.sim",
                                  "Cendra_Gelsio2_EC 482.dat"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    temp_dir dir;
    for (const std::string& name : binaries) dir.write(name, "earlier run");
    compile_context ctx = make_test_context(dir.path());
    ASSERT_TRUE(dati_linea(ctx).ok());
    dir.write("Cendra_Gelsio2_EC 482-.txt",
              "[generale]\r\n" + c.train_row + "\r\n[fine]\r\n");
    step_result r = memorizza_percorso(ctx, 1);
    EXPECT_EQ(r.code, step_code::header_check);
    EXPECT_EQ(r.detail, c.number);
    EXPECT_EQ(ctx.error_code, 0);
    for (const std::string& name : binaries)
      EXPECT_EQ(dir.read(name), "earlier run") << name;
    report_outcome(ctx, r);
    EXPECT_EQ(ctx.files.messages,
              std::vector<std::string>{" Errore n. " + c.number});
    EXPECT_EQ(exit_status(ctx, r), 2);
  }
}

}  // namespace
