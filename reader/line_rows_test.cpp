// The rows of the line source: gradients with their fill and tail, the plan
// walked from curve rows, mountains with tunnel markers, and the two kinds of
// board.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "test/line_fixture.h"

namespace {

// On a 3000 m line: N = 200, so the gradient tail stops before cell 198, and
// the plan runs to metre 10,000.
TEST(gradient_rows, fill_up_to_each_row_then_the_tail) {
  struct {
    std::vector<std::string> rows;
    std::string gradients;
    const char* note;
  } cases[] = {
      {{"pendenza, 0, 0", "pendenza, 2300, 5"},
       "100*46 105*152 0*3",
       "k = 0 writes nothing; 2300 closes cells 0 to 45"},
      {{"pendenza, 1000, -6", "pendenza, 2000, -30"},
       "100*20 94*20 70*158 0*3",
       "negative gradients"},
      {{"pendenza, 1000, 2", "pendenza, 1000, 4"},
       "100*20 102*1 104*177 0*3",
       "a repeated position still writes one cell"},
      {{"pendenza, -500, 7"}, "107*198 0*3", "a negative position writes none"},
      {{"pendenza, 0, 160", "pendenza, 500, -101"},
       "4*10 255*188 0*3",
       "stored modulo 256"},
      {{"pendenza, 125, 1", "pendenza, 175, 2"},
       "100*2 101*2 102*194 0*3",
       "2.5 goes to 2 and 3.5 to 4"},
      {{"pendenza, 9900, 1", "pendenza, 50, 2"},
       "100*198 101*1 102*1 0*1",
       "the tail writes at least one cell"},
      {{"pendenza, 9900, 1", "pendenza, 50, 2", "pendenza, 50, 3",
        "pendenza, 50, 4"},
       "100*198 101*1 102*1 103*1",
       "rows filled cell N: no cell left for the tail"},
      {{}, "100*198 0*3", "no rows: gradient 0 up to N - 3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    line_fixture f;
    f.compile(line_source(3000, c.rows));
    EXPECT_EQ(f.ctx.error_code, 0);
    EXPECT_EQ(f.runs(&track_cell::gradient), c.gradients);
  }
}

struct point {
  double x, y;
};
point at(const line_fixture& f, std::int64_t m) {
  return {curve_value(f.ctx.curves, m, 0), curve_value(f.ctx.curves, m, 1)};
}
point direction(const line_fixture& f, std::int64_t m) {
  point a = at(f, m);
  point b = at(f, m - 1);
  return {a.x - b.x, a.y - b.y};
}

// Starting along the second coordinate, n metres of curvature kappa turn the
// direction by n * atan(kappa) and lengthen it by sqrt(1 + kappa^2) each.
point turned(double kappa, int n) {
  double angle = n * std::atan(kappa);
  double length = std::pow(1.0 + kappa * kappa, n / 2.0);
  return {length * std::sin(angle), length * std::cos(angle)};
}

TEST(curve_rows, first_embedded_curve) {
  line_fixture f;
  f.compile(line_source(3000, {"curvas2,  1500,  200"}));
  ASSERT_EQ(f.ctx.error_code, 0);
  const curve_table& ct = f.ctx.curves;
  EXPECT_EQ(curve_tag_at(ct, 1, 1), curve_tag::int16);
  EXPECT_EQ(curve_value(ct, 1, 1), 1.0);
  EXPECT_EQ(curve_tag_at(ct, 2, 0), curve_tag::real);
  for (std::int64_t m : {2, 700, 1500}) {
    SCOPED_TRACE(m);
    EXPECT_EQ(at(f, m).x, 0.0);
    EXPECT_EQ(at(f, m).y, static_cast<double>(m));
  }
  EXPECT_NEAR(at(f, 1700).x, -4.0195, 5e-5);
  EXPECT_NEAR(at(f, 1700).y, 1699.9467, 5e-5);
  EXPECT_NEAR(direction(f, 1700).x, -0.03999, 5e-6);
  EXPECT_NEAR(direction(f, 1700).y, 0.99920, 5e-6);
  // The tail runs straight on to E - 2 = 9998.
  EXPECT_NEAR(at(f, 9998).x - at(f, 1700).x, 8298 * direction(f, 1700).x, 1e-6);
  EXPECT_EQ(curve_tag_at(ct, 9998, 1), curve_tag::real);
  EXPECT_EQ(curve_tag_at(ct, 9999, 0), curve_tag::empty);
  EXPECT_EQ(curve_tag_at(ct, 10000, 1), curve_tag::empty);
}

TEST(curve_rows, class_digit_and_side) {
  struct {
    const char* token;
    double kappa;
    const char* note;
  } cases[] = {
      {"curvad1", 0.0001, "class 1"},
      {"curvas2", -0.0002, "class 2, s turns negative"},
      {"curvad3", 0.0004, "class 3"},
      {"curvad4", 0.001, "class 4"},
      {"curvad5", 0.002, "class 5"},
      {"curvad6", 0.003, "class 6"},
      {"curvad53", 0.0004, "3 is tested before 5"},
      {"curva6d1", 0.0001, "1 before 6, wherever they stand"},
      {"CURVAS4", -0.001, "S in capitals"},
      {"curvad4 S", -0.001, "any s in the token"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    line_fixture f;
    f.compile(line_source(3000, {std::string(c.token) + ", 100, 50"}));
    ASSERT_EQ(f.ctx.error_code, 0);
    EXPECT_EQ(at(f, 100).x, 0.0) << "straight up to the start";
    EXPECT_EQ(direction(f, 100).y, 1.0);
    point expected = turned(c.kappa, 50);
    EXPECT_NEAR(direction(f, 150).x, expected.x, 1e-9);
    EXPECT_NEAR(direction(f, 150).y, expected.y, 1e-9);
    EXPECT_NEAR(direction(f, 9998).x, expected.x, 1e-9) << "kept by the tail";
  }
}

TEST(curve_rows, empty_curves_and_rows_behind_the_walk) {
  line_fixture f;
  f.compile(line_source(
      3000, {"curvad4, 500, 0", "curvad4, 300, 20", "curvad4, 400, 200"}));
  ASSERT_EQ(f.ctx.error_code, 0);
  // A curve of length 0 only carries the straight up to its start; a row
  // that ends behind the walk changes nothing; one that starts behind it
  // turns only its remaining metres, 501 to 600.
  EXPECT_EQ(at(f, 500).x, 0.0);
  EXPECT_EQ(at(f, 500).y, 500.0);
  EXPECT_NEAR(direction(f, 501).x, turned(0.001, 1).x, 1e-12);
  EXPECT_NEAR(direction(f, 600).x, turned(0.001, 100).x, 1e-9);
  EXPECT_NEAR(direction(f, 600).y, turned(0.001, 100).y, 1e-9);
}

TEST(curve_rows, not_read_without_outputs) {
  line_fixture f;
  f.compile(line_source(3000, {"curva, 500, 3", "pendenza, 500, 3"}), 0);
  EXPECT_EQ(f.ctx.error_code, 0) << "a curve without class is not even seen";
  EXPECT_FALSE(f.ctx.curves.allocated());
  EXPECT_EQ(f.runs(&track_cell::gradient), "100*10 103*188 0*3");
}

// The walk stops right after computing metre 1,000,000; the tail has no such
// limit. A 1,000,000 m line has its plan to metre 1,007,000.
TEST(curve_rows, walk_ends_at_metre_one_million) {
  struct {
    std::string row;
    std::int32_t code;
    std::int64_t last_metre;  // the last metre computed
    const char* note;
  } cases[] = {
      {"curvad1, 999999, 1", 103, 1000000, "curved metre 1,000,000"},
      {"curvad1, 1000000, 5", 103, 1000000, "straight metre 1,000,000"},
      {"curvad1, 999998, 1", 0, 1006998, "the tail goes on past it"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    line_fixture f;
    f.compile(line_source(1000000, {c.row}));
    EXPECT_EQ(f.ctx.error_code, c.code);
    EXPECT_EQ(f.ctx.error_position, untouched_position);
    EXPECT_EQ(curve_tag_at(f.ctx.curves, c.last_metre, 1), curve_tag::real);
    EXPECT_EQ(curve_tag_at(f.ctx.curves, c.last_metre + 1, 0),
              curve_tag::empty);
    EXPECT_EQ(f.train_source_left(), c.code != 0);
  }
}

TEST(curve_rows, plan_ends_at_its_last_metre) {
  line_fixture f;
  f.compile(line_source(3000, {"curvad1, 9900, 200"}));
  EXPECT_EQ(f.ctx.error_code, 108);
  EXPECT_EQ(f.ctx.error_position, 9900);
  // Metres up to E were computed before the walk was refused at E + 1.
  EXPECT_EQ(curve_tag_at(f.ctx.curves, 10000, 0), curve_tag::real);
  EXPECT_NEAR(direction(f, 10000).x, turned(0.0001, 100).x, 1e-9);
}

// On a 30,000 m line: N = 740, 741 cells.
TEST(mountain_rows, types_joins_and_tunnel_markers) {
  std::vector<std::int64_t> long_tunnel;
  for (std::int64_t c = 127; c <= 387; c += 4) long_tunnel.push_back(c);
  ASSERT_EQ(long_tunnel.size(), 66u);
  struct {
    std::vector<std::string> rows;
    std::string mountains;
    std::vector<std::int64_t> markers;
    const char* note;
  } cases[] = {
      {{"montagna,   3750,  4350,  2"}, "0*75 2*12 0*654", {}, "cells 75-86"},
      {{"montagna,   6200,  19500,  11"},
       "0*124 1*266 0*351",
       long_tunnel,
       "tunnel: a marker in every 4th cell"},
      {{"montagna, 1000, 2000, 1", "montagna, 2150, 2500, 2"},
       "0*20 1*20 0*3 3*7 0*691",
       {},
       "150 m after the previous end: joined, type 3"},
      {{"montagna, 1000, 2000, 1", "montagna, 2151, 2500, 2"},
       "0*20 1*20 0*3 2*7 0*691",
       {},
       "151 m: its own type"},
      {{"montagna, 0, 500, 2"}, "2*10 0*731", {}, "the first row never joins"},
      {{"montagna, 1000, 2000, 1", "montagna, 2100, 2700, 12"},
       "0*20 1*20 0*2 3*12 0*687",
       {45, 49, 53},
       "a joined tunnel keeps its markers"},
      {{"montagna, 1000, 1020, 2", "montagna, 1100, 1500, 1"},
       "0*22 3*8 0*711",
       {},
       "a row with no cells still counts as the previous one"},
      {{"montagna, 1000, 2000, 1", "montagna, 5000, 6000, 2",
        "montagna, 2100, 2500, 2"},
       "0*20 1*20 0*2 3*8 0*50 2*20 0*621",
       {},
       "compared with the row just before, even ahead of it"},
      {{"montagna, 1000, 1400, 300"},
       "0*20 34*8 0*713",
       {23, 27},
       "type 290 stored modulo 256"},
      {{"indicatori_vmax, 1100, 70, 75, 75, 0, , , , 0",
        "montagna, 1000, 1400, 11"},
       "0*20 1*8 0*713",
       {27},
       "no marker over a board"},
      {{"montagna, 1025, 1075, 2"}, "0*20 2*2 0*719", {}, "ties go to even"},
      {{"montagna, 36800, 37050, 1"}, "0*736 1*5", {}, "up to cell N"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    line_fixture f;
    f.compile(line_source(30000, c.rows));
    EXPECT_EQ(f.ctx.error_code, 0);
    EXPECT_EQ(f.runs(&track_cell::mountain), c.mountains);
    EXPECT_EQ(f.cells_of_kind(kind_tunnel_marker), c.markers);
  }
}

// On a 3000 m line.
TEST(speed_board_rows, cell_and_encoded_values) {
  struct {
    std::vector<std::string> rows;
    std::int64_t cell;
    std::int16_t v1, v2, v3, v4;
    const char* note;
  } cases[] = {
      {{"indicatori_vmax,  1700,  70,  75,  75,  0,  ,  ,  ,  0"},
       35,
       1400,
       1500,
       1500,
       0,
       "first speeds only"},
      {{"indicatori_vmax, 1700, 70, 75, 75, 0, 72, 73, -5, 0"},
       35,
       1414,
       1515,
       1499,
       0,
       "second speeds in units of 5 km/h"},
      {{"indicatori_vmax, 500, 1638, 0, -1638, 3, , , , 2"},
       11,
       32760,
       0,
       -32760,
       32,
       "stripes; widest speeds"},
      {{"indicatori_vmax, 500, 0, 0, 0, 7000, , , , 5"},
       11,
       0,
       0,
       0,
       4469,
       "stripes keep 16 bits"},
      {{"indicatori_vmax, 75, 1, 1, 1, 0, , , , 0"},
       2,
       20,
       20,
       20,
       0,
       "2.5 goes to cell 2"},
      {{"indicatori_vmax, 125, 1, 1, 1, 0, , , , 0"},
       4,
       20,
       20,
       20,
       0,
       "3.5 goes to cell 4"},
      {{"montagna, 1000, 1400, 11",
        "indicatori_vmax, 1100, 70, 75, 75, 0, , , , 0"},
       23,
       1400,
       1500,
       1500,
       0,
       "a tunnel marker is free"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    line_fixture f;
    f.compile(line_source(3000, c.rows));
    EXPECT_EQ(f.ctx.error_code, 0);
    track_cell cell = f.cell(c.cell);
    EXPECT_EQ(cell.kind, kind_speed_board);
    EXPECT_EQ(cell.value1, c.v1);
    EXPECT_EQ(cell.value2, c.v2);
    EXPECT_EQ(cell.value3, c.v3);
    EXPECT_EQ(cell.value4, c.v4);
  }
}

TEST(text_board_rows, texts_fill_slots_from_eighty_down) {
  line_fixture f;
  f.compile(line_source(
      30000,
      {"montagna,   6200,  19500,  11",
       "cartello_indicatore,  6150,   (GALLERIA  )(DEL VADDRO)(m.13300   )",
       "cartello_indicatore,  11500,   (P.C.     )(VADDRO   )(Km.11+700)",
       "Cartello_Indicatore,  11900,   \"(B, C)\" ignored"}));
  ASSERT_EQ(f.ctx.error_code, 0);
  const struct {
    std::int64_t cell;
    int slot;
    const char* text;
  } boards[] = {{124, 80, "(GALLERIA  )(DEL VADDRO)(m.13300   )"},
                {231, 79, "(P.C.     )(VADDRO   )(Km.11+700)"},
                {239, 78, "(B, C)"}};
  for (const auto& b : boards) {
    SCOPED_TRACE(b.cell);
    EXPECT_EQ(f.cell(b.cell).kind, kind_text_board) << "tunnel marker taken";
    EXPECT_EQ(f.cell(b.cell).value1, b.slot);
    EXPECT_EQ(f.ctx.table.slots[static_cast<std::size_t>(b.slot)].label,
              b.text);
  }
  EXPECT_EQ(f.ctx.board_slot, 77) << "handed on to the station rows";
}

TEST(text_board_rows, eighty_texts_at_most) {
  std::vector<std::string> rows;
  for (int i = 0; i < 81; ++i)
    rows.push_back("cartello_indicatore, " + std::to_string(100 * i) + ", (T" +
                   std::to_string(i) + ")");
  line_fixture f;
  f.compile(line_source(10000, rows));
  EXPECT_EQ(f.ctx.error_code, 104);
  EXPECT_EQ(f.ctx.table.slots[80].label, "(T0)");
  EXPECT_EQ(f.ctx.table.slots[1].label, "(T79)");
  EXPECT_EQ(f.ctx.table.slots[0].label, "");
  EXPECT_EQ(f.cell(2 * 79 + 1).value1, 1);
  EXPECT_EQ(f.cell(2 * 80 + 1).kind, kind_plain) << "the 81st is refused";
}

}  // namespace
