// The line source as a whole: general section, the row loop, every code with
// the files it leaves, and the embedded line end to end.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "scenario/embedded_scenario.h"
#include "scenario/write_document.h"
#include "test/line_fixture.h"

namespace {

constexpr const char* speed_board_1000 =
    "indicatori_vmax, 1000, 70, 75, 75, 0, , , , 0";

std::vector<std::string> repeated(const std::string& row, int count) {
  return std::vector<std::string>(static_cast<std::size_t>(count), row);
}

TEST(line_general_section, embedded_rows_fill_their_slots) {
  line_fixture f;
  f.compile(source_text({"[generale]", "lunghezza percorso,    108000",
                         "progressiva chilometrica uno,    0,    0,    0",
                         "progressiva chilometrica due,    0,    0,    0",
                         "progressiva chilometrica tre,    0,    0,    0",
                         "sfondo uno,    80000", "sfondo due,    59350",
                         "sfondo tre,    1",
                         "ripetizione segnali 4 codici,    25000,    108000",
                         "[curve]", "[fine]"}));
  EXPECT_EQ(f.ctx.error_code, 0);
  const line_table& t = f.ctx.table;
  EXPECT_EQ(t.slots[84].to_m, 108000);
  EXPECT_EQ(t.slots[85].from_m, 80000);
  EXPECT_EQ(t.slots[85].at_m, 59350);
  EXPECT_EQ(t.slots[85].to_m, 1);
  EXPECT_EQ(t.slots[86].from_m, 25000);
  EXPECT_EQ(t.slots[86].to_m, 108000);
  EXPECT_EQ(t.slots[86].at_m, 4);
  for (int s = 81; s <= 83; ++s) {
    SCOPED_TRACE(s);
    EXPECT_EQ(t.slots[s].from_m, 0);
    EXPECT_EQ(t.slots[s].to_m, 0);
    EXPECT_EQ(t.slots[s].at_m, 0);
  }
  EXPECT_EQ(f.ctx.grid.last_index(), 2300);
  EXPECT_EQ(f.ctx.curves.last_metre, 115000);
  EXPECT_FALSE(f.line_source_left());
}

TEST(line_general_section, length_sizes_grid_and_plan) {
  struct {
    std::vector<std::string> general;
    std::int32_t write_flag;
    std::int32_t n;
    std::int32_t e;  // -1: no plan
    const char* note;
  } cases[] = {
      {{"lunghezza percorso, 108025"}, 1, 2300, 115025, "2300.5 goes to even"},
      {{"lunghezza percorso, 1000000"}, 1, 20140, 1007000, "longest line"},
      {{"LUNGHEZZA del PERCORSO, 3000"}, 1, 200, 10000, "case ignored"},
      {{"lunghezza percorso, 3000", "lunghezza percorso, 1000"},
       1,
       160,
       8000,
       "a second length row sizes the tables anew"},
      {{"lunghezza percorso, 3000"}, 0, 200, -1, "no plan without outputs"},
      {{"lunghezza percorso, -7025"}, 0, 0, -1, "shortest grid: one cell"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    line_fixture f;
    std::vector<std::string> lines = {"[generale]"};
    lines.insert(lines.end(), c.general.begin(), c.general.end());
    lines.push_back("[fine]");
    f.compile(source_text(lines), c.write_flag);
    EXPECT_EQ(f.ctx.error_code, 0);
    EXPECT_EQ(f.ctx.grid.last_index(), c.n);
    EXPECT_EQ(f.ctx.curves.last_metre, c.e);
  }
}

TEST(line_general_section, signal_repetition_row) {
  struct {
    std::string row;
    std::int32_t code;
    std::int32_t at_m;
    const char* note;
  } cases[] = {
      {"ripetizione segnali 9 codici, 0, 50", 0, 9, "nine codes"},
      {"ripetizione segnali 49, 0, 50", 0, 4, "4 wins over 9"},
      {"ripetizione segnali 9 codici, 100, 0", 0, 0, "end 0: no codes"},
      {"ripetizione segnali 4 codici, -50, 100", 0, 4, "-50 is a multiple"},
      {"Ripetizione segnali 4, 25, 100", 0, 0, "capital R: not recognised"},
      {"ripetizione segnali codici, 100, 0", 5, 0, "no digit, even at end 0"},
      {"ripetizione segnali 4 codici, 25, 100", 3, 0, "start"},
      {"ripetizione segnali 4 codici, -25, 100", 3, 0, "negative remainder"},
      {"ripetizione segnali 7, 30, 100", 3, 0, "start tested first"},
      {"ripetizione segnali 4 codici, 100, 130", 4, 0, "end"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    line_fixture f;
    f.compile(source_text(
        {"[generale]", "lunghezza percorso, 3000", c.row, "[x]", "[fine]"}));
    EXPECT_EQ(f.ctx.error_code, c.code);
    EXPECT_EQ(f.ctx.error_position, untouched_position);
    EXPECT_EQ(f.ctx.table.slots[86].at_m, c.at_m);
    EXPECT_FALSE(f.line_source_left());
    EXPECT_EQ(f.train_source_left(), c.code != 0);
  }
}

TEST(line_general_section, comments_markers_and_letter_case) {
  const std::vector<std::string> ten_comments = repeated("-nota", 10);
  auto with = [](std::vector<std::string> lines,
                 const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
  };
  struct {
    std::vector<std::string> general;  // after the length row
    std::int32_t code;
    std::int32_t background_one;  // slot 85 from_m
    const char* note;
  } cases[] = {
      {with(ten_comments, {"-sfondo uno, 9", "[x]"}), 0, 9,
       "the eleventh comment in a row is examined"},
      {with(ten_comments, {"-x", "-sfondo uno, 9", "[x]"}), 0, 0,
       "a twelfth is skipped again with what follows"},
      {with(ten_comments, {"-[nota]", "sfondo uno, 9", "[x]"}), 0, 9,
       "a marker written as a comment does not end the section"},
      {{"pendenza, 100, -5", "sfondo uno, 7", "[x]"},
       0,
       7,
       "gradient rows are not read here; -5 is a comment"},
      {{"[curve]", "sfondo uno, 9"}, 0, 0, "general rows only in the section"},
      {{"Sfondo uno, 9", "[x]"}, 0, 0, "sfondo with exact case only"},
      {{"sfondo uno, 9"}, 0, 9, "a file may end inside the section"},
      {{"-nota", "sfondo uno"},
       25,
       0,
       "the word after a comment is read even as the last field"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    line_fixture f;
    std::vector<std::string> lines = {"[generale]", "lunghezza percorso, 3000"};
    lines.insert(lines.end(), c.general.begin(), c.general.end());
    f.compile(source_text(lines));
    EXPECT_EQ(f.ctx.error_code, c.code);
    EXPECT_EQ(f.ctx.table.slots[85].from_m, c.background_one);
  }
}

TEST(line_row_loop, comment_skips_and_dispatch) {
  struct {
    std::vector<std::string> lines;  // after the general section
    std::int32_t code;
    std::string gradients;
    std::string mountains;
    const char* note;
  } cases[] = {
      {{"-a, -b, -pendenza, 500, 3"},
       0,
       "100*10 103*188 0*3",
       "0*201",
       "the third comment in a row is examined"},
      {{"-a, -pendenza, 500, 3"},
       0,
       "100*198 0*3",
       "0*201",
       "the second is skipped"},
      {{"pendenzamontagna, 500, 3, 1000, 2000, 2"},
       0,
       "100*10 103*188 0*3",
       "0*20 2*20 0*161",
       "two keywords: both rows, in table order"},
      {{"velocita, 1700, 75", "sfondo uno, 500, 3"},
       0,
       "100*198 0*3",
       "0*201",
       "rows of other sections pass unrecognised"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    line_fixture f;
    f.compile(line_source(3000, c.lines));
    EXPECT_EQ(f.ctx.error_code, c.code);
    EXPECT_EQ(f.runs(&track_cell::gradient), c.gradients);
    EXPECT_EQ(f.runs(&track_cell::mountain), c.mountains);
  }
}

TEST(line_row_loop, last_field_is_never_examined) {
  const std::vector<std::string> head = {"[generale]",
                                         "lunghezza percorso, 3000", "[x]"};
  struct {
    std::string tail;
    std::int32_t code;
    const char* note;
  } cases[] = {
      {"pendenza\r\n", 0, "a keyword as the last field"},
      {"-nota\r\npendenza\r\n", 0, "reached by a comment skip"},
      {"pendenza, 100\r\n", 25, "a row cut short by the end of the file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    line_fixture f;
    f.compile(source_text(head) + c.tail);
    EXPECT_EQ(f.ctx.error_code, c.code);
    EXPECT_FALSE(f.line_source_left());
  }
}

TEST(line_source_codes, each_code_with_position_and_files_left) {
  std::vector<std::string> boards;
  for (int i = 0; i < 81; ++i)
    boards.push_back("cartello_indicatore, " + std::to_string(100 * i) +
                     ", (T" + std::to_string(i) + ")");
  std::vector<std::string> mountains;
  for (int i = 0; i < 81; ++i)
    mountains.push_back("montagna, " + std::to_string(100 * i) + ", " +
                        std::to_string(100 * i + 50) + ", 1");
  const std::int32_t none = untouched_position;
  struct {
    std::string source;
    std::int32_t code;
    std::int32_t position;
    bool line_left;
    bool train_left;
    const char* note;
  } cases[] = {
      {"", 25, none, false, false, "empty line source"},
      {source_text({"[generali]", "lunghezza percorso, 3000", "[fine]"}), 102,
       none, false, true, "no [generale]"},
      {source_text({"x", "[generale]"}), 102, none, false, true,
       "[generale] only as the last field"},
      {line_source(1000001, {}), 1, none, false, true, "line too long"},
      {source_text(
           {"[generale]", "sfondo uno, 5", "[x]", "pendenza, 0, 0", "[fine]"}),
       25, none, false, false, "no length row"},
      {line_source(-7026, {}), 25, none, false, false, "negative grid"},
      {line_source(-7025, {}), 25, none, false, false, "negative plan"},
      {source_text({"[generale]", "lunghezza percorso, 3000000000"}), 25, none,
       false, false, "length beyond 32 bits"},
      {line_source(3000, {"pendenza, 9901, 1", speed_board_1000}), 15, 9901,
       false, false, "gradient beyond the grid: the rows end"},
      {line_source(3000, {"curvad1, 9901, 10"}), 15, 9901, false, false,
       "curve"},
      {line_source(3000, {"montagna, 9901, 9950, 1"}), 15, 9901, false, false,
       "mountain"},
      {line_source(3000, {"indicatori_vmax, 9901, 70, 75, 75, 0, , , , 0"}), 15,
       9901, false, false, "speed board"},
      {line_source(3000, {"cartello_indicatore, 9901, (X)"}), 15, 9901, false,
       false, "board with text"},
      {line_source(
           3000, {"pendenza, 9900, 1", "curvad1, 9900, 0",
                  "montagna, 9900, 9950, 1", "cartello_indicatore, 9900, (X)"}),
       0, none, false, false, "9900 is the last position accepted"},
      {line_source(3000, {"curvas, 100, 50"}), 103, none, false, true,
       "curve without class"},
      {line_source(3000, {"curva7, 100, 50"}), 103, none, false, true,
       "class 7 does not exist"},
      {line_source(3000, {speed_board_1000, speed_board_1000}), 21, 1000, false,
       true, "speed board on a speed board"},
      {line_source(3000, {"indicatori_vmax, -100, 70, 75, 75, 0, , , , 0"}), 21,
       -100, false, true, "speed board before cell 0"},
      {line_source(3000, {"indicatori_vmax, 1000, 1639, 75, 75, 0, , , , 0"}),
       25, none, false, false, "speed does not fit 16 bits"},
      {line_source(3000, {speed_board_1000, "cartello_indicatore, 1010, (X)"}),
       6, 1010, false, true, "board with text on a speed board"},
      {line_source(3000, {"cartello_indicatore, -100, (X)"}), 6, -100, false,
       true, "board with text before cell 0"},
      {line_source(10000, boards), 104, 8000, false, true,
       "81st board with text: no slot left"},
      {line_source(10000, mountains), 105, 8000, false, true,
       "81st mountain row"},
      {line_source(3000, {"montagna, 9000, 10100, 1"}), 106, 9000, false, true,
       "mountain cells beyond N"},
      {line_source(3000, {"montagna, -500, 1000, 1"}), 106, -500, false, true,
       "mountain cells before cell 0"},
      {line_source(3000,
                   {"pendenza, 9900, 1", "pendenza, 50, 2", "pendenza, 50, 3",
                    "pendenza, 50, 4", "pendenza, 50, 5"}),
       107, 50, false, true, "gradient fill beyond N"},
      {line_source(3000, {"curvad1, 9900, 200"}), 108, 9900, false, true,
       "curve beyond the plan"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    line_fixture f;
    f.compile(c.source);
    EXPECT_EQ(f.ctx.error_code, c.code);
    EXPECT_EQ(f.ctx.error_position, c.position);
    EXPECT_EQ(f.line_source_left(), c.line_left);
    EXPECT_EQ(f.train_source_left(), c.train_left);
    if (c.code != 0 && c.code != 25) {
      EXPECT_EQ(f.ctx.error_where, error_source::line_source);
    }
  }
}

TEST(line_source_codes, too_long_a_line_keeps_its_length_but_has_no_grid) {
  line_fixture f;
  f.compile(line_source(1000001, {"pendenza, 0, 0"}));
  EXPECT_EQ(f.ctx.error_code, 1);
  EXPECT_EQ(f.ctx.table.slots[84].to_m, 1000001);
  EXPECT_FALSE(f.ctx.grid.allocated());
  EXPECT_FALSE(f.ctx.curves.allocated());
}

TEST(line_source_codes, beyond_grid_ends_rows_but_completes_the_reading) {
  line_fixture f;
  f.compile(line_source(3000, {"pendenza, 500, 2", "curvad4, 100, 50",
                               "indicatori_vmax, 9901, 70, 75, 75, 0, , , , 0",
                               speed_board_1000, "pendenza, 1000, 9"}));
  EXPECT_EQ(f.ctx.error_code, 15);
  EXPECT_EQ(f.ctx.error_position, 9901);
  EXPECT_EQ(f.cell(21).kind, kind_plain) << "rows after it are not read";
  EXPECT_EQ(f.runs(&track_cell::gradient), "100*10 102*188 0*3")
      << "the gradient tail still runs";
  EXPECT_EQ(curve_tag_at(f.ctx.curves, 9998, 0), curve_tag::real)
      << "so does the plan tail";
  EXPECT_EQ(curve_tag_at(f.ctx.curves, 9999, 0), curve_tag::empty);
}

TEST(line_source_codes, origin_is_the_line_of_the_row) {
  line_fixture f;
  f.compile(line_source(3000, {speed_board_1000, "pendenza, 0, 0",
                               "cartello_indicatore, 1000, (X)"}));
  EXPECT_EQ(f.ctx.error_code, 6);
  EXPECT_EQ(f.ctx.error_where, error_source::line_source);
  EXPECT_EQ(f.ctx.error_line, 6);  // [generale], length, [righe], 3 rows
}

TEST(line_source_codes, file_faults_are_reading_failures) {
  struct {
    bool fail_read;
    std::string source;
    const char* note;
  } cases[] = {
      {true, line_source(3000, {}), "the source cannot be read"},
      {false, line_source(3000, {}), "it cannot be removed after reading"},
      {false, line_source(3000, {"curva, 1, 1"}),
       "it cannot be removed after a code"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    line_fixture f;
    if (c.fail_read)
      f.ctx.files.fail_read = line_source_name(f.ctx);
    else
      f.ctx.files.fail_remove = line_source_name(f.ctx);
    f.compile(c.source);
    EXPECT_EQ(f.ctx.error_code, 25);
    EXPECT_FALSE(f.train_source_left());
    EXPECT_FALSE(f.ctx.error_detail.empty());
  }
}

// The embedded line, written by its writer and compiled back.
TEST(line_source_end_to_end, embedded_line) {
  line_fixture f;
  ASSERT_TRUE(dati_linea(f.ctx).ok());
  f.compile_line_on_disk();
  EXPECT_EQ(f.ctx.error_code, 0);
  EXPECT_FALSE(f.line_source_left());

  // Tables and general rows.
  ASSERT_EQ(f.ctx.grid.last_index(), 2300);
  ASSERT_EQ(f.ctx.curves.last_metre, 115000);
  const line_table& t = f.ctx.table;
  EXPECT_EQ(t.slots[84].to_m, 108000);
  EXPECT_EQ(t.slots[85].from_m, 80000);
  EXPECT_EQ(t.slots[85].at_m, 59350);
  EXPECT_EQ(t.slots[85].to_m, 1);
  EXPECT_EQ(t.slots[86].from_m, 25000);
  EXPECT_EQ(t.slots[86].to_m, 108000);
  EXPECT_EQ(t.slots[86].at_m, 4);

  // The plan.
  const curve_table& ct = f.ctx.curves;
  EXPECT_NEAR(curve_value(ct, 1700, 0), -4.0195, 5e-5);
  EXPECT_NEAR(curve_value(ct, 1700, 1), 1699.9467, 5e-5);
  EXPECT_EQ(curve_tag_at(ct, 114998, 1), curve_tag::real);
  EXPECT_EQ(curve_tag_at(ct, 114999, 0), curve_tag::empty);
  EXPECT_EQ(curve_tag_at(ct, 115000, 1), curve_tag::empty);
  double dx = curve_value(ct, 114998, 0) - curve_value(ct, 114997, 0);
  double dy = curve_value(ct, 114998, 1) - curve_value(ct, 114997, 1);
  EXPECT_NEAR(std::hypot(dx, dy), 1.0044, 5e-5);

  // Mountains: cells [first, last] of a row and the five joined rows.
  auto expect_type = [&f](std::int64_t first, std::int64_t last, int type) {
    for (std::int64_t c = first; c <= last; ++c)
      ASSERT_EQ(f.cell(c).mountain, type) << "cell " << c;
  };
  expect_type(75, 86, 2);
  EXPECT_EQ(f.cell(74).mountain, 0);
  EXPECT_EQ(f.cell(87).mountain, 0);
  expect_type(124, 389, 1);
  std::vector<std::int64_t> markers;
  for (std::int64_t c = 127; c <= 387; c += 4)
    if (c != 231 && c != 239) markers.push_back(c);
  EXPECT_EQ(f.cells_of_kind(kind_tunnel_marker), markers);
  const int joined[][2] = {{43650, 43800},
                           {43900, 44000},
                           {44100, 45300},
                           {46000, 47200},
                           {50400, 51750}};
  std::size_t joined_cells = 0;
  for (const auto& row : joined) {
    expect_type(row[0] / 50, row[1] / 50 - 1, 3);
    joined_cells += static_cast<std::size_t>(row[1] / 50 - row[0] / 50);
  }
  std::size_t type_3 = 0;
  for (const track_cell& c : f.ctx.grid.cells) type_3 += c.mountain == 3;
  EXPECT_EQ(type_3, joined_cells) << "no other stretch is joined";

  // Boards.
  track_cell board = f.cell(35);
  EXPECT_EQ(board.kind, kind_speed_board);
  EXPECT_EQ(board.value1, 1400);
  EXPECT_EQ(board.value2, 1500);
  EXPECT_EQ(board.value3, 1500);
  EXPECT_EQ(board.value4, 0);
  const struct {
    std::int64_t cell;
    int slot;
    const char* text;
  } texts[] = {{124, 80, "(GALLERIA  )(DEL VADDRO)(m.13300   )"},
               {231, 79, "(P.C.     )(VADDRO   )(Km.11+700)"},
               {239, 78, "(P.C.     )(VADDRO   )(Km.11+700)"}};
  for (const auto& x : texts) {
    SCOPED_TRACE(x.cell);
    EXPECT_EQ(f.cell(x.cell).kind, kind_text_board);
    EXPECT_EQ(f.cell(x.cell).value1, x.slot);
    EXPECT_EQ(t.slots[static_cast<std::size_t>(x.slot)].label, x.text);
  }
  EXPECT_EQ(f.ctx.board_slot, 77);

  // Gradients: the first stretch, and the tail from the last row on.
  std::string gradients = f.runs(&track_cell::gradient);
  EXPECT_EQ(gradients.substr(0, 7), "100*46 ");
  EXPECT_EQ(gradients.substr(gradients.size() - 12), " 100*354 0*3");
  EXPECT_EQ(f.cell(1943).gradient, 100 - 5);
}

}  // namespace
