#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
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
#include "tool/authoring/session.h"
#include "tool/cli/tool_main.h"

namespace {

const std::string line_source = "Cendra_Gelsio2_linea.txt";
const std::string train_source = "Cendra_Gelsio2_EC 482-.txt";
const std::string profile_file = "Cendra_Gelsio2_linea.dat";
const std::string table_file = "Cendra_Gelsio2_EC 482.sim";
const std::string track_file = "Cendra_Gelsio2_EC 482.dat";
const std::vector<std::string> document_files = {
    "Cendra_Gelsio2_EC 482_note.txt",
    "Cendra_Gelsio2_EC 482_rallentamenti.txt",
    "Cendra_Gelsio2_EC 482_scheda_treno.txt",
};
const std::vector<std::string> binary_files = {profile_file, table_file,
                                               track_file};

// Runs the tool as a shell would, with these arguments after its name.
tool_result run(std::vector<std::string> args) {
  return run_scenario_tool(std::move(args));
}

bool starts_with(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string first_line(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

std::string last_line(const std::string& text) {
  if (text.empty() || text.back() != '\n') return "(no final line end)";
  std::size_t start = text.rfind('\n', text.size() - 2);
  return text.substr(
      start == std::string::npos ? 0 : start + 1,
      text.size() - 1 - (start == std::string::npos ? 0 : start + 1));
}

std::set<std::string> with_binaries(std::set<std::string> names) {
  names.insert(binary_files.begin(), binary_files.end());
  return names;
}

// The five files export writes.
std::set<std::string> exported_files() {
  std::set<std::string> names = {line_source, train_source};
  names.insert(document_files.begin(), document_files.end());
  return names;
}

// ---------------------------------------------------------------------------
// Export and compile of the embedded scenario.

TEST(scenario_tool, export_then_compile_gives_the_files_of_the_program) {
  temp_dir authored;
  tool_result exported = run({"export", "--dir", authored.path()});
  EXPECT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(exported.err, "");
  EXPECT_EQ(authored.names(), exported_files());
  const std::string line_text = authored.read(line_source);
  const std::string train_text = authored.read(train_source);

  tool_result compiled = run({"compile", "--dir", authored.path()});
  EXPECT_EQ(compiled.status, 0) << compiled.err;
  EXPECT_EQ(compiled.err, "");
  EXPECT_EQ(compiled.out, "wrote 3 files, 0 warnings\n");
  EXPECT_EQ(run({"compile", "--dir", authored.path(), "-q"}).out, "");

  temp_dir program;
  compile_context ctx = make_test_context(program.path());
  step_result r = run_program(ctx);
  ASSERT_TRUE(r.ok()) << r.detail;
  std::vector<std::string> compared = binary_files;
  compared.insert(compared.end(), document_files.begin(), document_files.end());
  for (const std::string& name : compared) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(authored.contains(name));
    EXPECT_EQ(authored.read(name), program.read(name));
  }
  for (const std::string& name : binary_files)
    EXPECT_FALSE(authored.read(name).empty()) << name;
  // The sources are the author's: still there, byte for byte.
  EXPECT_EQ(authored.names(), with_binaries(exported_files()));
  EXPECT_EQ(authored.read(line_source), line_text);
  EXPECT_EQ(authored.read(train_source), train_text);
}

TEST(scenario_tool, no_profile_leaves_the_profile_file_untouched) {
  temp_dir dir;
  ASSERT_EQ(run({"export", "--dir", dir.path()}).status, 0);
  dir.write(profile_file, "profile of an earlier compile");
  tool_result compiled =
      run({"compile", "--dir", dir.path(), "--no-profile", "--summary"});
  EXPECT_EQ(compiled.status, 0) << compiled.err;
  // --no-profile writes two files; the summary line comes last.
  EXPECT_EQ(compiled.out,
            "wrote 2 files, 1 warning\nerror_code=0 error_position=0\n");
  EXPECT_EQ(dir.read(profile_file), "profile of an earlier compile");

  // The other two files are those of the compile step with write_flag 0.
  temp_dir reference;
  ASSERT_EQ(run({"export", "--dir", reference.path()}).status, 0);
  compile_context ctx = make_test_context(reference.path());
  ctx.files.keep_sources = true;
  ASSERT_TRUE(memorizza_percorso(ctx, 0).ok());
  EXPECT_FALSE(reference.contains(profile_file));
  for (const std::string& name : {table_file, track_file}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(dir.read(name).empty());
    EXPECT_EQ(dir.read(name), reference.read(name));
  }
}

TEST(scenario_tool, compile_takes_the_scenario_and_train_names) {
  temp_dir dir;
  ASSERT_EQ(run({"export", "--dir", dir.path()}).status, 0);
  dir.write("Mia_linea.txt", dir.read(line_source));
  dir.write("Mia_Treno 9-.txt", dir.read(train_source));
  tool_result compiled = run({"compile", "--dir", dir.path(), "--scenario",
                              "Mia", "--train", "Treno 9"});
  EXPECT_EQ(compiled.status, 0) << compiled.err;
  EXPECT_TRUE(dir.contains("Mia_Treno 9.sim"));
  EXPECT_TRUE(dir.contains("Mia_Treno 9.dat"));
  EXPECT_TRUE(dir.contains("Mia_linea.txt"));
  EXPECT_TRUE(dir.contains("Mia_Treno 9-.txt"));
  // The track plan depends on the line source alone.
  ASSERT_EQ(run({"compile", "--dir", dir.path(), "--scenario", "Cendra_Gelsio2",
                 "--train", "EC 482"})
                .status,
            0);
  EXPECT_EQ(dir.read("Mia_linea.dat"), dir.read(profile_file));

  // A train name without its source names the file that is missing.
  tool_result missing = run({"compile", "--dir", dir.path(), "--scenario",
                             "Mia", "--train", "Altro"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(first_line(missing.err).find("Mia_Altro-.txt"), std::string::npos)
      << missing.err;
}

// Export refuses to overwrite what an author may have edited, unless told.
TEST(scenario_tool, export_keeps_existing_files_unless_forced) {
  temp_dir dir;
  ASSERT_EQ(run({"export", "--dir", dir.path()}).status, 0);
  const std::string embedded = dir.read(train_source);
  dir.write(train_source, "an author's edited train");

  tool_result again = run({"export", "--dir", dir.path()});
  EXPECT_EQ(again.status, 2);
  EXPECT_NE(again.err.find(join_path(dir.path(), train_source)),
            std::string::npos)
      << again.err;
  EXPECT_NE(again.err.find("--force"), std::string::npos) << again.err;
  EXPECT_EQ(dir.read(train_source), "an author's edited train");

  tool_result forced = run({"export", "--dir", dir.path(), "--force"});
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(dir.read(train_source), embedded);
}

// Without --dir the tool works in the current directory and names files
// bare, as a compiler names the files it was given.
TEST(scenario_tool, without_dir_works_in_the_current_directory) {
  temp_dir dir;
  std::error_code ec;
  const std::filesystem::path before = std::filesystem::current_path(ec);
  std::filesystem::current_path(dir.path(), ec);
  ASSERT_FALSE(ec) << ec.message();

  tool_result exported = run({"export"});
  dir.write(line_source,
            "[generale]\r\nlunghezza percorso, 1000001\r\n"
            "[fine]\r\n");
  tool_result compiled = run({"compile"});

  std::filesystem::current_path(before, ec);
  EXPECT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(dir.names(), exported_files());
  EXPECT_EQ(compiled.status, 2);
  EXPECT_TRUE(starts_with(compiled.err, line_source + ":2:21: error 1: "))
      << compiled.err;
}

// ---------------------------------------------------------------------------
// Faulty sources: one case per code the compiler can record.

enum class source { line, train };

// Rows put into an exported source: after the line `anchor`, or in its place.
struct edit {
  source file;
  std::string anchor;
  std::vector<std::string> rows;
  bool replace = false;
};

edit replace_row(source file, std::string row, std::string by) {
  return {file, std::move(row), {std::move(by)}, true};
}
edit insert_rows(source file, std::string after,
                 std::vector<std::string> rows) {
  return {file, std::move(after), std::move(rows), false};
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string join_lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// Applies the edit; false when its anchor is not exactly one line.
bool apply(std::vector<std::string>& lines, const edit& e) {
  std::size_t found = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != e.anchor) continue;
    if (found != lines.size()) return false;
    found = i;
  }
  if (found == lines.size()) return false;
  auto at = lines.begin() + static_cast<std::ptrdiff_t>(found);
  if (e.replace)
    at = lines.erase(at);
  else
    ++at;
  lines.insert(at, e.rows.begin(), e.rows.end());
  return true;
}

// The 1-based line that holds exactly `row`, 0 when none or several do.
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

// What the diagnostic names: a source row, a track cell, or a whole file.
enum class blame { line_row, train_row, line_file, train_file, cell, header };

struct fault_case {
  const char* note;
  std::vector<edit> edits;
  std::int32_t code;  // the error slot afterwards
  std::int32_t position;
  int status;
  blame where;
  std::string row;     // the blamed source row (line_row, train_row)
  std::int32_t cell;   // the blamed cell (cell)
  std::string header;  // the header check that stops the run (header)
  bool without_line_source = false;
  bool without_train_source = false;
};

// A fault blamed on a row of the line source or the train source.
fault_case row_fault(const char* note, source file, std::vector<edit> edits,
                     const std::string& row, std::int32_t code,
                     std::int32_t position = 0, int status = 1) {
  return {note,   std::move(edits),
          code,   position,
          status, file == source::line ? blame::line_row : blame::train_row,
          row,    -1,
          ""};
}

// A marker-placement fault, blamed on a cell of the track.
fault_case cell_fault(const char* note, std::vector<edit> edits,
                      std::int32_t code, std::int32_t cell) {
  return {note, std::move(edits), code, cell * 50, 1, blame::cell, "", cell,
          ""};
}

// A fault of a whole source file.
fault_case file_fault(const char* note, source file, std::vector<edit> edits,
                      std::int32_t code, int status) {
  return {note,   std::move(edits),
          code,   0,
          status, file == source::line ? blame::line_file : blame::train_file,
          "",     -1,
          ""};
}

// A header check that stops the run before any binary file.
fault_case header_fault(const char* note, std::vector<edit> edits,
                        const char* header) {
  return {note, std::move(edits), 0, 0, 2, blame::header, "", -1, header};
}

std::string station_row(std::int32_t at_m, int kind, std::int32_t length_m,
                        const std::string& name) {
  return "stazione,  " + std::to_string(at_m) + ", " + std::to_string(kind) +
         ",  " + std::to_string(length_m) +
         ",  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, " + name;
}

// Boards with text at free cells, one every 100 m from 70000.
std::vector<std::string> board_rows(int count) {
  std::vector<std::string> rows;
  for (int i = 0; i < count; ++i)
    rows.push_back("cartello_indicatore,  " + std::to_string(70000 + 100 * i) +
                   ",   (CARTELLO  )(NUMERO    )(" + std::to_string(i) + ")");
  return rows;
}

std::vector<std::string> mountain_rows(int count) {
  std::vector<std::string> rows;
  for (int i = 0; i < count; ++i)
    rows.push_back("montagna,   " + std::to_string(106000 + 100 * i) + ",  " +
                   std::to_string(106050 + 100 * i) + ",  2");
  return rows;
}

// Stops of kind 26 (no grid writes) 500 m apart, far enough from each other.
std::vector<std::string> stop_rows(int count) {
  std::vector<std::string> rows;
  for (int i = 0; i < count; ++i)
    rows.push_back(station_row(1000 + 500 * i, 26, 100,
                               "FERMATA " + std::to_string(i + 1)));
  return rows;
}

std::vector<std::string> gradient_rows_at_the_end(int count) {
  std::vector<std::string> rows;
  for (int i = 1; i <= count; ++i)
    rows.push_back("pendenza,  114900,   " + std::to_string(i));
  return rows;
}

const std::string last_board =
    "cartello_indicatore,  11900,   (P.C.     )(VADDRO   )(Km.11+700)";
const std::string last_speed_board =
    "indicatori_vmax,  105000,  30,  30,  30,  0,  ,  ,  ,  0";
const std::string last_mountain = "montagna,   105100,  105250,  2";
const std::string last_gradient = "pendenza,  97200,   0";
const std::string last_curve = "curvas3,  104800,  900";
const std::string repetition =
    "ripetizione segnali 4 codici,    25000,    108000";
const std::string first_station =
    "stazione,     200,  2,  800,  1, 1, 0,  4,1,0,  2,1,1,    1,  18,44, 0, "
    "CENDRA";
const std::string stop_11700 =
    "stazione,   11700, 26,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, "
    "P.C.VADDRO";
const std::string last_station =
    "stazione,  107000,  6,  800,  1, 1, 0,  1,1,0,  2,1,1,    0,  20, 2, 0, "
    "GELSIO Porta Nord";
const std::int32_t first_signal_m = 2000;
const std::string signal_2000 =
    "segnale,    2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0";
// Rows put after every signal, so that the signals already stand.
const std::string after_signals = "[codici]";

// A slowdown at 30000 (start cell 601, end cell 621, warning board 577, just
// above the signal of 28700 in cell 575) with the given speed.
std::string slowdown_30000(int speed) {
  return "rallentamento,  30000,  " + std::to_string(speed) +
         ",  1000,  0,  0,  0";
}

std::vector<fault_case> fault_cases() {
  const source L = source::line;
  const source T = source::train;
  const auto bad_length = "lunghezza percorso,    1000001";
  const auto bad_start = "ripetizione segnali 4 codici,    25010,    108000";
  const auto bad_end = "ripetizione segnali 4 codici,    25000,    108010";
  const auto bad_codes = "ripetizione segnali 7 codici,    25000,    108000";
  const auto bad_class = "curvas7,  1500,  200";
  const auto taken_board =
      "cartello_indicatore,  6150,   (SECONDO   )(CARTELLO  )(m.0       )";
  const auto taken_speed_board =
      "indicatori_vmax,  1700,  50,  50,  50,  0,  ,  ,  ,  0";
  const auto far_gradient = "pendenza,  114950,   2";
  const auto bad_reference =
      "progressiva chilometrica uno,    1000,    1020,    0";
  const auto long_mountain = "montagna,   106000,  120000,  2";
  const auto long_curve = "curvas2,  114000,  5000";
  const auto unreadable_background = "sfondo uno,    99999999999";
  const auto taken_code_cell = "abbattimento,   2050,  180";
  const auto far_speed = "velocita,  114950,    30";
  const auto twin_signal =
      "segnale,    2010,   1, 4, 0,  0, 0,    0,  0,0,0, 0";
  const auto early_signal =
      "segnale,    -300,   2, 4, 0,  0, 0,    0,  0,0,0, 0";
  const auto board_on_signal = "rallentamento,   3200,  60,  500,  0,  0,  0";
  const auto start_on_signal = "rallentamento,   2000,  60,  500,  0,  0,  0";
  const auto end_on_signal = "rallentamento,   1000,  60,  1000,  0,  0,  0";
  const auto prewarning_on_signal =
      "rallentamento,   3300,  60,  500,  0,  1,  0";
  const auto long_slowdown = "rallentamento,  114000,  60,  5000,  0,  0,  0";
  const auto code_before_origin = "abbattimento,   -100,  180";
  const auto unreadable_carriages = "numero vetture,    99999999999";
  const auto slowdown_without_end =
      "rallentamento,  60000,  120,  0,  0,  0,  0";
  const std::string station_off_grid = station_row(114000, 12, 4000, "OLTRE");
  const std::string station_too_near = station_row(900, 26, 200, "VICINA");
  const std::string station_in_cell_1 =
      "stazione,       0,  2,  200,  1, 1, 0,  4,1,0,  2,1,1,    1,  18,44, "
      "0, CENDRA";
  const std::string station_off_50 =
      "stazione,   11720, 26,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, "
      "0, P.C.VADDRO";
  const std::string station_length_250 =
      "stazione,   11700, 26,  250,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, "
      "0, P.C.VADDRO";
  const std::vector<std::string> boards = board_rows(78);
  const std::vector<std::string> mountains = mountain_rows(49);
  const std::vector<std::string> stops = stop_rows(76);
  const std::vector<std::string> gradients = gradient_rows_at_the_end(6);

  fault_case no_line_source =
      file_fault("101: no line source; nothing to compile", L, {}, 101, 2);
  no_line_source.without_line_source = true;
  fault_case no_train_source = file_fault("25: no train source", T, {}, 25, 1);
  no_train_source.without_train_source = true;

  return {
      // Line source, general section.
      row_fault("1: line length above 1,000,000; no grid, no output", L,
                {replace_row(L, "lunghezza percorso,    108000", bad_length)},
                bad_length, 1, 0, 2),
      row_fault("3: signal-repetition start off the 50 m raster", L,
                {replace_row(L, repetition, bad_start)}, bad_start, 3),
      row_fault("4: signal-repetition end off the 50 m raster", L,
                {replace_row(L, repetition, bad_end)}, bad_end, 4),
      row_fault("5: signal repetition with 7 codes", L,
                {replace_row(L, repetition, bad_codes)}, bad_codes, 5),
      no_line_source,
      file_fault("102: no [generale] section", L,
                 {replace_row(L, "[generale]", "[generali]")}, 102, 2),
      row_fault(
          "2: a kilometre reference off the 50 m raster, found after "
          "the train source",
          L,
          {replace_row(L, "progressiva chilometrica uno,    0,    0,    0",
                       bad_reference)},
          bad_reference, 2),
      row_fault("25: a background value beyond 32 bits", L,
                {replace_row(L, "sfondo uno,    80000", unreadable_background)},
                unreadable_background, 25),
      // Line source, row loop.
      row_fault("103: a curve of class 7", L,
                {replace_row(L, "curvas2,  1500,  200", bad_class)}, bad_class,
                103),
      row_fault("108: a curve beyond the end of the plan", L,
                {insert_rows(L, last_curve, {long_curve})}, long_curve, 108,
                114000),
      // The code stays the line source's, but the train source is still
      // read, and its first signal row ends that reading at once and takes
      // the position as its own.
      row_fault("15: a gradient beyond the end of the grid", L,
                {insert_rows(L, last_gradient, {far_gradient})}, far_gradient,
                15, first_signal_m),
      row_fault("107: gradient rows that fill past the last cell (the fifth "
                "at 114900 would write cell 2301)",
                L, {insert_rows(L, last_gradient, gradients)}, gradients[4],
                107, 114900),
      row_fault("105: an 81st mountain row", L,
                {insert_rows(L, last_mountain, mountains)}, mountains.back(),
                105, 110800),
      row_fault("106: a mountain that runs past the end of the grid", L,
                {insert_rows(L, last_mountain, {long_mountain})}, long_mountain,
                106, 106000),
      row_fault("21: a speed board on the cell of another", L,
                {insert_rows(L, last_speed_board, {taken_speed_board})},
                taken_speed_board, 21, 1700),
      row_fault("6: a board with text on the cell of another", L,
                {insert_rows(L, last_board, {taken_board})}, taken_board, 6,
                6150),
      row_fault("104: an 81st board with text; no slot left for it", L,
                {insert_rows(L, last_board, boards)}, boards.back(), 104,
                77700),
      // Train source.
      row_fault("25: a carriage count beyond 32 bits", T,
                {replace_row(T, "numero vetture,    7", unreadable_carriages)},
                unreadable_carriages, 25),
      no_train_source,
      row_fault("15: a speed limit beyond the end of the grid", T,
                {insert_rows(T, "velocita,  105700,    30", {far_speed})},
                far_speed, 15, 114950),
      row_fault("8: a station off the 50 m raster", T,
                {replace_row(T, stop_11700, station_off_50)}, station_off_50, 8,
                11720),
      row_fault("9: a station 250 m long", T,
                {replace_row(T, stop_11700, station_length_250)},
                station_length_250, 9, 11700),
      row_fault("22: a station 200 m after the end of the first", T,
                {insert_rows(T, first_station, {station_too_near})},
                station_too_near, 22, 900),
      row_fault("24: a first station whose marker would lie in cell 1", T,
                {replace_row(T, first_station, station_in_cell_1)},
                station_in_cell_1, 24),
      row_fault("10: a 76th station reaches the board texts (slot 77)", T,
                {insert_rows(T, "[stazioni]", stops)}, stops.back(), 10),
      row_fault("113: a 4 km station whose marker lies past the last cell", T,
                {insert_rows(T, last_station, {station_off_grid})},
                station_off_grid, 113, 114000),
      row_fault("16: a second signal in cell 41", T,
                {insert_rows(T, signal_2000, {twin_signal})}, twin_signal, 16,
                2010),
      row_fault("110: a signal before the line origin", T,
                {insert_rows(T, signal_2000, {early_signal})}, early_signal,
                110, -300),
      row_fault("7: a code marker on the signal cell 41", T,
                {insert_rows(T, after_signals, {taken_code_cell})},
                taken_code_cell, 7, 2050),
      row_fault("112: a code marker before the line origin", T,
                {insert_rows(T, after_signals, {code_before_origin})},
                code_before_origin, 112, -100),
      row_fault("17: a slowdown warning board on the signal cell 41", T,
                {insert_rows(T, after_signals, {board_on_signal})},
                board_on_signal, 17, 3200),
      row_fault("18: a slowdown start on the signal cell 41", T,
                {insert_rows(T, after_signals, {start_on_signal})},
                start_on_signal, 18, 2000),
      row_fault("19: a slowdown end on the signal cell 41", T,
                {insert_rows(T, after_signals, {end_on_signal})}, end_on_signal,
                19, 1000),
      row_fault("20: a pre-warning cell on the signal cell 41", T,
                {insert_rows(T, after_signals, {prewarning_on_signal})},
                prewarning_on_signal, 20, 3300),
      row_fault("111: a slowdown whose end lies past the last cell", T,
                {insert_rows(T, after_signals, {long_slowdown})}, long_slowdown,
                111, 114000),
      // Marker placement around a slowdown row: no source row to name.
      cell_fault("11: both cells before the signal of 28700 taken by kind-13 "
                 "markers",
                 {insert_rows(T, after_signals,
                              {slowdown_30000(120), "abbattimento,  28700,  0",
                               "abbattimento,  28650,  0"})},
                 11, 575),
      cell_fault("12: the first start group (cells 596 to 594) taken",
                 {insert_rows(
                     T, after_signals,
                     {slowdown_30000(120), "abbattimento,  29800,  0",
                      "abbattimento,  29750,  0", "abbattimento,  29700,  0"})},
                 12, 601),
      cell_fault("13: the eighth cell of a slow slowdown and both neighbours "
                 "taken",
                 {insert_rows(
                     T, after_signals,
                     {slowdown_30000(60), "abbattimento,  30400,  0",
                      "abbattimento,  30450,  0", "abbattimento,  30500,  0"})},
                 13, 609),
      cell_fault("114: a slowdown of length 0 has no end cell of its own",
                 {insert_rows(T, after_signals, {slowdown_without_end})}, 114,
                 1201),
      // Header checks stop the run before any binary file.
      header_fault(
          "1250: a code marker with a value in cell 1",
          {insert_rows(T, after_signals, {"abbattimento,     50,  5"})},
          "1250"),
      header_fault(
          "1251: a slowdown in cell 1 with speed 0 and a second value",
          {insert_rows(T, after_signals,
                       {"rallentamento,      0,  0,  200,  0,  0,  5"})},
          "1251"),
  };
}

// The first line the tool writes on its error stream for the case, in two
// parts around the column of the field, which the case does not know: the
// place up to the line, and the level, code and message after the column.
// `line` is the blamed row's line in the edited source.
struct expected_line {
  std::string place;  // "FILE:LINE" of a row, "FILE" of a whole file
  std::string said;   // ": error CODE: meaning (at P m)"
};
expected_line expected_diagnostic(const fault_case& c, const std::string& dir,
                                  std::int32_t line) {
  std::string place;
  switch (c.where) {
    case blame::line_row:
      place = join_path(dir, line_source) + ":" + std::to_string(line);
      break;
    case blame::train_row:
      place = join_path(dir, train_source) + ":" + std::to_string(line);
      break;
    case blame::line_file:
      place = join_path(dir, line_source);
      break;
    case blame::train_file:
      place = join_path(dir, train_source);
      break;
    case blame::cell:
      // Shown at the row of the signal or slowdown the markers belong to.
      place = join_path(dir, train_source);
      break;
    case blame::header:
      return {"scenario_tool", ": error: header check " + c.header + ": "};
  }
  std::string said = ": error " + std::to_string(c.code) + ": ";
  // A reading failure says what failed, in words of its own.
  if (c.code == 25) return {place, said};
  said += std::string(error_meaning(c.code));
  if (error_has_position(c.code))
    said += " (at " + std::to_string(c.position) + " m)";
  return {place, said};
}

// The line as expected: the place, then ":COLUMN" for a row (any column),
// then what is said (in full, or as its start for a reading failure or a
// header check, whose text goes on).
bool matches(const std::string& shown, const expected_line& e,
             const fault_case& c) {
  if (!starts_with(shown, e.place)) return false;
  std::size_t at = e.place.size();
  if (c.where == blame::line_row || c.where == blame::train_row ||
      c.where == blame::cell) {
    if (c.where == blame::cell) {
      // FILE:LINE:COLUMN of a row the case does not name.
      if (at >= shown.size() || shown[at] != ':') return false;
      ++at;
      const std::size_t digits = shown.find_first_not_of("0123456789", at);
      if (digits == at || digits == std::string::npos) return false;
      at = digits;
    }
    if (at >= shown.size() || shown[at] != ':') return false;
    ++at;
    const std::size_t digits = shown.find_first_not_of("0123456789", at);
    if (digits == at || digits == std::string::npos) return false;
    at = digits;
  }
  const std::string rest = shown.substr(at);
  if (c.code == 25 || c.where == blame::header)
    return starts_with(rest, e.said);
  return rest == e.said;
}

TEST(scenario_tool, faulty_sources_are_named_by_file_line_and_position) {
  for (const fault_case& c : fault_cases()) {
    SCOPED_TRACE(c.note);
    temp_dir dir;
    ASSERT_EQ(run({"export", "--dir", dir.path()}).status, 0);
    std::vector<std::string> line_rows = split_lines(dir.read(line_source));
    std::vector<std::string> train_rows = split_lines(dir.read(train_source));
    for (const edit& e : c.edits)
      ASSERT_TRUE(apply(e.file == source::line ? line_rows : train_rows, e))
          << "anchor: " << e.anchor;
    std::set<std::string> sources = {line_source, train_source};
    dir.write(line_source, join_lines(line_rows));
    dir.write(train_source, join_lines(train_rows));
    if (c.without_line_source) {
      std::filesystem::remove(dir.file(line_source));
      sources.erase(line_source);
    }
    if (c.without_train_source) {
      std::filesystem::remove(dir.file(train_source));
      sources.erase(train_source);
    }
    for (const std::string& name : document_files)
      std::filesystem::remove(dir.file(name));
    std::int32_t line = 0;
    if (!c.row.empty()) {
      line =
          line_of(c.where == blame::line_row ? line_rows : train_rows, c.row);
      ASSERT_GT(line, 0) << "the blamed row stands once: " << c.row;
    }

    tool_result compiled = run({"compile", "--dir", dir.path(), "--summary"});

    EXPECT_EQ(compiled.status, c.status) << compiled.err;
    EXPECT_EQ(last_line(compiled.out),
              "error_code=" + std::to_string(c.code) +
                  " error_position=" + std::to_string(c.position));
    const expected_line expected = expected_diagnostic(c, dir.path(), line);
    const std::string shown = first_line(compiled.err);
    EXPECT_TRUE(matches(shown, expected, c))
        << "shown:    " << shown << "\nexpected: " << expected.place
        << "[:COLUMN]" << expected.said;
    if (c.where == blame::cell) {
      EXPECT_NE(
          compiled.err.find("in track cell " + std::to_string(c.cell) + "\n"),
          std::string::npos)
          << compiled.err;
    }
    // A compile with an error writes no binary file and says so last (the
    // count includes the independent errors found after the first).
    EXPECT_TRUE(starts_with(last_line(compiled.err),
                            "scenario_tool: no file written: "))
        << compiled.err;
    EXPECT_EQ(dir.names(), sources);

    // With --write-on-error it writes what the program's compile step
    // writes from the same sources, byte for byte: the files when the run
    // went through (status 1), none when it stopped.
    tool_result forced =
        run({"compile", "--dir", dir.path(), "--write-on-error"});
    EXPECT_EQ(forced.status, c.status) << forced.err;
    EXPECT_EQ(forced.err.find("no file written"), std::string::npos);
    EXPECT_EQ(dir.names(), c.status == 1 ? with_binaries(sources) : sources);
    if (c.status == 1) {
      compile_context program = make_test_context(dir.path());
      program.files.keep_sources = true;
      memory_disk disk;
      (void)compile_in_memory(program, disk, 1);
      for (const std::string& name : binary_files)
        EXPECT_TRUE(disk.files.count(name) == 1 &&
                    disk.files.at(name) == dir.read(name))
            << name;
    }

    // The sources are never removed or changed, whatever the fault.
    if (sources.count(line_source) != 0) {
      EXPECT_EQ(dir.read(line_source), join_lines(line_rows));
    }
    if (sources.count(train_source) != 0) {
      EXPECT_EQ(dir.read(train_source), join_lines(train_rows));
    }
  }
}

// A stop that follows from a reader's code (no track grid after code 1) is
// not shown again: the code says why, and the last line what was written.
TEST(scenario_tool, a_stop_that_follows_from_the_code_is_said_once) {
  temp_dir dir;
  ASSERT_EQ(run({"export", "--dir", dir.path()}).status, 0);
  dir.write(line_source,
            "[generale]\r\nlunghezza percorso,    1000001\r\n[fine]\r\n");
  tool_result compiled = run({"compile", "--dir", dir.path(), "--summary"});
  EXPECT_EQ(compiled.status, 2);
  EXPECT_EQ(compiled.out, "error_code=1 error_position=0\n");
  EXPECT_EQ(compiled.err,
            join_path(dir.path(), line_source) +
                ":2:24: error 1: " + std::string(error_meaning(1)) +
                "\n   2 | lunghezza percorso,    1000001\n"
                "     |                        ^~~~~~~\n"
                "scenario_tool: no file written: 1 error\n");
}

// ---------------------------------------------------------------------------
// Arguments.

TEST(scenario_tool, bad_arguments_stop_with_a_message_and_touch_nothing) {
  temp_dir dir;
  ASSERT_EQ(run({"export", "--dir", dir.path()}).status, 0);
  const std::string missing = join_path(dir.path(), "no such directory");
  const struct {
    std::vector<std::string> args;
    std::string named;  // the message names what was wrong
    const char* note;
  } cases[] = {
      {{}, "no command given", "no subcommand"},
      {{"build", "--dir", dir.path()}, "build", "unknown subcommand"},
      {{"compile", "--dir", dir.path(), "--bogus"},
       "--bogus",
       "unknown option"},
      {{"compile", "--dir", dir.path(), "extra"},
       "extra",
       "stray positional argument"},
      {{"compile", "--dir"}, "--dir", "option without its value"},
      {{"compile", "--dir", missing}, missing, "directory that does not exist"},
      {{"compile", "--dir", dir.path(), "--scenario", "../elsewhere"},
       "../elsewhere",
       "a name that would leave the directory"},
      {{"compile", "--dir", dir.path(), "--train", "a\\b"},
       "a\\b",
       "a name with a backslash"},
      {{"compile", "--dir", dir.path(), "--train", ""},
       "empty",
       "an empty name"},
      {{"export", "--dir", dir.path(), "--summary"},
       "--summary",
       "an option of compile given to export"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    tool_result r = run(c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(starts_with(r.err, "scenario_tool: error: ")) << r.err;
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
    EXPECT_EQ(dir.names(), exported_files());
  }
}

TEST(scenario_tool, help_describes_the_commands_and_options) {
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> mentions;
  } cases[] = {
      {{"--help"}, {"export", "compile"}},
      {{"compile", "--help"},
       {"--dir", "--scenario", "--train", "--no-profile", "--summary",
        "Cendra_Gelsio2"}},
      {{"export", "-h"}, {"--dir", "--force"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front());
    tool_result r = run(c.args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    for (const std::string& word : c.mentions)
      EXPECT_NE(r.out.find(word), std::string::npos) << word << "\n" << r.out;
  }
}

}  // namespace
