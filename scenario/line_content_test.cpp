// Checks the embedded line source by parsing the rows it returns: layout and
// size of the file, the fixed rows, and the properties the authored curve,
// gradient and mountain rows must keep for the reader and the simulator.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "scenario/embedded_scenario.h"

namespace {

constexpr int line_length_m = 108000;

std::vector<std::string_view> split_fields(std::string_view row) {
  std::vector<std::string_view> fields;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t comma = row.find(',', begin);
    if (comma == std::string_view::npos) {
      fields.push_back(row.substr(begin));
      return fields;
    }
    fields.push_back(row.substr(begin, comma - begin));
    begin = comma + 1;
  }
}

// A field of exactly `blanks` spaces, then an optional minus and digits, and
// nothing else. The spacing is part of the check because the file must come
// out byte for byte.
std::optional<int> strict_number(std::string_view field, std::size_t blanks) {
  if (field.size() <= blanks) return std::nullopt;
  if (field.substr(0, blanks).find_first_not_of(' ') != std::string_view::npos)
    return std::nullopt;
  const std::string_view digits = field.substr(blanks);
  int value = 0;
  const char* last = digits.data() + digits.size();
  const auto [end, ec] = std::from_chars(digits.data(), last, value);
  if (ec != std::errc() || end != last) return std::nullopt;
  return value;
}

struct curve {
  char side;
  int curve_class;
  int start_m;
  int length_m;
  int end_m() const { return start_m + length_m; }
};

std::optional<curve> parse_curve(std::string_view row) {
  const std::vector<std::string_view> f = split_fields(row);
  if (f.size() != 3 || f[0].size() != 7 || f[0].substr(0, 5) != "curva")
    return std::nullopt;
  const char side = f[0][5];
  const char digit = f[0][6];
  if ((side != 's' && side != 'd') || digit < '1' || digit > '6')
    return std::nullopt;
  const std::optional<int> start = strict_number(f[1], 2);
  const std::optional<int> length = strict_number(f[2], 2);
  if (!start || !length) return std::nullopt;
  return curve{side, digit - '0', *start, *length};
}

struct gradient {
  int position_m;
  int per_mille;
};

// The opening row is one blank wider in both gaps than the others.
std::optional<gradient> parse_gradient(std::string_view row, bool opening) {
  const std::vector<std::string_view> f = split_fields(row);
  if (f.size() != 3 || f[0] != "pendenza") return std::nullopt;
  const std::optional<int> position = strict_number(f[1], opening ? 3 : 2);
  const std::optional<int> value = strict_number(f[2], opening ? 4 : 3);
  if (!position || !value) return std::nullopt;
  return gradient{*position, *value};
}

struct mountain {
  int from_m;
  int to_m;
  int type;
};

std::optional<mountain> parse_mountain(std::string_view row) {
  const std::vector<std::string_view> f = split_fields(row);
  if (f.size() != 4 || f[0] != "montagna") return std::nullopt;
  const std::optional<int> from = strict_number(f[1], 3);
  const std::optional<int> to = strict_number(f[2], 2);
  const std::optional<int> type = strict_number(f[3], 2);
  if (!from || !to || !type) return std::nullopt;
  return mountain{*from, *to, *type};
}

class line_source : public ::testing::Test {
 protected:
  // The lines a file would hold: everything before the end marker.
  std::vector<std::string> written_lines() const {
    std::vector<std::string> out;
    for (const std::string& line : document) {
      if (line == end_marker) break;
      out.push_back(line);
    }
    return out;
  }

  // The rows between `marker` and the next section marker.
  std::vector<std::string> rows_of(std::string_view marker) const {
    std::vector<std::string> rows;
    bool inside = false;
    for (const std::string& line : written_lines()) {
      if (!line.empty() && line[0] == '[') {
        if (inside) break;
        inside = line == marker;
      } else if (inside) {
        rows.push_back(line);
      }
    }
    return rows;
  }

  std::vector<curve> curves() const {
    std::vector<curve> out;
    for (const std::string& row : rows_of("[curve]")) {
      const std::optional<curve> c = parse_curve(row);
      EXPECT_TRUE(c.has_value()) << "malformed curve row: \"" << row << "\"";
      if (c) out.push_back(*c);
    }
    return out;
  }

  std::vector<gradient> gradients() const {
    std::vector<gradient> out;
    for (const std::string& row : rows_of("[pendenze]")) {
      const std::optional<gradient> g = parse_gradient(row, out.empty());
      EXPECT_TRUE(g.has_value()) << "malformed gradient row: \"" << row << "\"";
      if (!g) return out;
      out.push_back(*g);
    }
    return out;
  }

  std::vector<mountain> mountains() const {
    std::vector<mountain> out;
    for (const std::string& row : rows_of("[montagne]")) {
      const std::optional<mountain> m = parse_mountain(row);
      EXPECT_TRUE(m.has_value()) << "malformed mountain row: \"" << row << "\"";
      if (m) out.push_back(*m);
    }
    return out;
  }

  const std::vector<std::string> document = line_source_document();
};

TEST_F(line_source, list_ends_with_the_only_end_marker_and_holds_plain_text) {
  ASSERT_EQ(document.size(), 187u);
  EXPECT_EQ(document.back(), end_marker);
  for (std::size_t i = 0; i + 1 < document.size(); ++i) {
    SCOPED_TRACE("line " + std::to_string(i + 1) + ": " + document[i]);
    EXPECT_NE(document[i], end_marker);
    for (const char ch : document[i]) {
      // Printable ASCII only: no CR or LF (the writer adds them), no tabs.
      EXPECT_TRUE(ch >= 0x20 && ch <= 0x7e) << "byte " << int{ch};
    }
  }
}

TEST_F(line_source, file_is_186_lines_and_5284_bytes_with_cr_lf) {
  const std::vector<std::string> lines = written_lines();
  std::size_t bytes = 0;
  for (const std::string& line : lines) bytes += line.size() + 2;
  EXPECT_EQ(lines.size(), 186u);
  EXPECT_EQ(bytes, 5284u);
}

TEST_F(line_source, sections_stand_in_order_with_their_row_counts) {
  struct expected_section {
    const char* marker;
    std::size_t rows;
  };
  constexpr expected_section expected[] = {
      {"[generale]", 8},  {"[curve]", 89},    {"[pendenze]", 31},
      {"[montagne]", 32}, {"[cartelli]", 16}, {"[indicazioni]", 3},
      {"[fine]", 0},
  };
  std::vector<std::string> markers;
  for (const std::string& line : written_lines()) {
    if (!line.empty() && line[0] == '[') markers.push_back(line);
  }
  ASSERT_EQ(markers.size(), std::size(expected));
  for (std::size_t i = 0; i < markers.size(); ++i) {
    SCOPED_TRACE(expected[i].marker);
    EXPECT_EQ(markers[i], expected[i].marker);
    EXPECT_EQ(rows_of(expected[i].marker).size(), expected[i].rows);
  }
  EXPECT_EQ(written_lines().front(), "[generale]");
  EXPECT_EQ(written_lines().back(), "[fine]");
}

TEST_F(line_source, general_and_indicator_board_rows_are_exact) {
  const std::vector<std::string> general = {
      "lunghezza percorso,    108000",
      "progressiva chilometrica uno,    0,    0,    0",
      "progressiva chilometrica due,    0,    0,    0",
      "progressiva chilometrica tre,    0,    0,    0",
      "sfondo uno,    80000",
      "sfondo due,    59350",
      "sfondo tre,    1",
      "ripetizione segnali 4 codici,    25000,    108000",
  };
  const std::vector<std::string> boards = {
      "cartello_indicatore,  6150,   (GALLERIA  )(DEL VADDRO)(m.13300   )",
      "cartello_indicatore,  11500,   (P.C.     )(VADDRO   )(Km.11+700)",
      "cartello_indicatore,  11900,   (P.C.     )(VADDRO   )(Km.11+700)",
  };
  EXPECT_EQ(rows_of("[generale]"), general);
  EXPECT_EQ(rows_of("[indicazioni]"), boards);
}

TEST_F(line_source, speed_boards_follow_the_board_table_and_its_spacing) {
  struct board {
    int position_m, a, b, c;
  };
  constexpr board expected[] = {
      {1700, 70, 75, 75},     {6100, 100, 105, 110},  {19000, 85, 85, 85},
      {20450, 95, 100, 100},  {25250, 120, 130, 130}, {37700, 90, 100, 100},
      {62500, 100, 110, 110}, {63000, 130, 150, 150}, {68500, 130, 135, 135},
      {80500, 130, 150, 150}, {83500, 130, 135, 135}, {89300, 100, 105, 105},
      {92400, 130, 150, 150}, {96500, 140, 155, 155}, {103500, 100, 105, 105},
      {105000, 30, 30, 30},
  };
  const std::vector<std::string> rows = rows_of("[cartelli]");
  ASSERT_EQ(rows.size(), std::size(expected));
  EXPECT_EQ(rows.front(),
            "indicatori_vmax,  1700,  70,  75,  75,  0,  ,  ,  ,  0");
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i]);
    const std::vector<std::string_view> f = split_fields(rows[i]);
    ASSERT_EQ(f.size(), 10u);
    EXPECT_EQ(f[0], "indicatori_vmax");
    EXPECT_EQ(strict_number(f[1], 2), expected[i].position_m);
    EXPECT_EQ(strict_number(f[2], 2), expected[i].a);
    EXPECT_EQ(strict_number(f[3], 2), expected[i].b);
    EXPECT_EQ(strict_number(f[4], 2), expected[i].c);
    EXPECT_EQ(f[5], "  0");
    EXPECT_EQ(f[6], "  ");  // the three second speeds stay empty
    EXPECT_EQ(f[7], "  ");
    EXPECT_EQ(f[8], "  ");
    EXPECT_EQ(f[9], "  0");
  }
}

TEST_F(line_source, curve_rows_keep_their_pattern_and_known_rows) {
  const std::vector<std::string> rows = rows_of("[curve]");
  ASSERT_EQ(curves().size(), rows.size());
  EXPECT_EQ(rows.front(), "curvas2,  1500,  200");
  EXPECT_EQ(rows.back(), "curvas3,  104800,  900");
  std::size_t touching_pair = rows.size();
  for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
    if (rows[i] == "curvas4,  19200,  500") touching_pair = i;
  }
  ASSERT_LT(touching_pair, rows.size());
  EXPECT_EQ(rows[touching_pair + 1], "curvas3,  19700,  800");
}

TEST_F(line_source, curve_classes_and_sides_have_their_counts) {
  std::map<int, int> per_class;
  std::map<char, int> per_side;
  for (const curve& c : curves()) {
    ++per_class[c.curve_class];
    ++per_side[c.side];
  }
  EXPECT_EQ(per_class, (std::map<int, int>{{1, 2}, {2, 30}, {3, 37}, {4, 20}}));
  EXPECT_EQ(per_side, (std::map<char, int>{{'s', 46}, {'d', 43}}));
}

TEST_F(line_source, curves_ascend_without_overlap_and_touch_seven_times) {
  const std::vector<curve> cs = curves();
  ASSERT_EQ(cs.size(), 89u);
  int touching = 0;
  for (std::size_t i = 0; i + 1 < cs.size(); ++i) {
    SCOPED_TRACE("curve " + std::to_string(i + 1));
    EXPECT_LT(cs[i].start_m, cs[i + 1].start_m);
    EXPECT_LE(cs[i].end_m(), cs[i + 1].start_m);
    if (cs[i].end_m() == cs[i + 1].start_m) ++touching;
  }
  EXPECT_EQ(touching, 7);
  EXPECT_EQ(cs.back().end_m(), 105700);
}

TEST_F(line_source, curve_lengths_and_the_straight_tunnel) {
  const std::vector<curve> cs = curves();
  ASSERT_FALSE(cs.empty());
  const curve* longest = &cs.front();
  int shortest_m = cs.front().length_m;
  int at_longest = 0;
  for (const curve& c : cs) {
    SCOPED_TRACE("curve at " + std::to_string(c.start_m));
    // No curve between 7,200 and 19,200 m: the tunnel runs straight.
    EXPECT_TRUE(c.end_m() <= 7200 || c.start_m >= 19200);
    if (c.length_m > longest->length_m) longest = &c;
    if (c.length_m < shortest_m) shortest_m = c.length_m;
  }
  for (const curve& c : cs) {
    if (c.length_m == longest->length_m) ++at_longest;
  }
  EXPECT_EQ(longest->side, 's');
  EXPECT_EQ(longest->curve_class, 1);
  EXPECT_EQ(longest->start_m, 30200);
  EXPECT_EQ(longest->length_m, 1200);
  EXPECT_EQ(at_longest, 1) << "the longest curve must be the only one";
  EXPECT_EQ(shortest_m, 100);
}

// The reader's plan walk: metres 0 and 1 at (0, 0) and (0, 1); up to a
// curve's start the last direction is repeated, over its length the direction
// turns by the class curvature (negative on side 's') without being rescaled.
TEST_F(line_source, plan_walk_reaches_the_known_point_and_direction_length) {
  constexpr double curvature[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
  double before_x = 0.0, before_y = 0.0, last_x = 0.0, last_y = 1.0;
  double x_1700 = 0.0, y_1700 = 0.0;
  int m = 2;
  auto step = [&](double kappa, bool curved) {
    const double dx = last_x - before_x;
    const double dy = last_y - before_y;
    before_x = last_x;
    before_y = last_y;
    if (curved) {
      last_x = last_x + (dx + kappa * dy);
      last_y = last_y + (dy - kappa * dx);
    } else {
      last_x = last_x + dx;
      last_y = last_y + dy;
    }
    if (m == 1700) {
      x_1700 = last_x;
      y_1700 = last_y;
    }
    ++m;
  };
  for (const curve& c : curves()) {
    const double magnitude = curvature[c.curve_class - 1];
    const double kappa = c.side == 's' ? -magnitude : magnitude;
    while (m <= c.start_m) step(kappa, false);
    while (m <= c.end_m()) step(kappa, true);
  }
  EXPECT_NEAR(x_1700, -4.0195, 5e-5);
  EXPECT_NEAR(y_1700, 1699.9467, 5e-5);
  const double length =
      std::hypot(last_x - before_x, last_y - before_y);  // after the last curve
  EXPECT_GE(length, 1.00435);
  EXPECT_LT(length, 1.00445);
}

TEST_F(line_source, gradient_rows_keep_their_pattern_order_and_range) {
  const std::vector<std::string> rows = rows_of("[pendenze]");
  const std::vector<gradient> gs = gradients();
  ASSERT_EQ(gs.size(), rows.size());
  ASSERT_GE(gs.size(), 2u);
  EXPECT_EQ(rows.front(), "pendenza,   0,    0");
  EXPECT_EQ(rows.back(), "pendenza,  97200,   0");
  // Cells 0 to 45 take the opening gradient only when the next row is at 2300.
  EXPECT_EQ(gs[1].position_m, 2300);
  const std::set<std::string> present(rows.begin(), rows.end());
  for (const char* quoted :
       {"pendenza,  2300,   5", "pendenza,  13600,   -6",
        "pendenza,  18700,   -30", "pendenza,  37500,   30"}) {
    EXPECT_EQ(present.count(quoted), 1u) << quoted;
  }
  int lowest = gs.front().per_mille;
  int highest = gs.front().per_mille;
  for (std::size_t i = 0; i < gs.size(); ++i) {
    SCOPED_TRACE(rows[i]);
    if (i > 0) {
      EXPECT_LT(gs[i - 1].position_m, gs[i].position_m);
    }
    // Whole cells, so the gradient changes exactly at the row's position.
    EXPECT_EQ(gs[i].position_m % 50, 0);
    if (gs[i].per_mille < lowest) lowest = gs[i].per_mille;
    if (gs[i].per_mille > highest) highest = gs[i].per_mille;
  }
  EXPECT_EQ(lowest, -30);
  EXPECT_EQ(highest, 30);
}

TEST_F(line_source, mountain_rows_keep_their_pattern_and_known_rows) {
  const std::vector<std::string> rows = rows_of("[montagne]");
  ASSERT_EQ(mountains().size(), rows.size());
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.front(), "montagna,   3750,  4350,  2");
  EXPECT_EQ(rows.back(), "montagna,   105100,  105250,  2");
  std::size_t before_close_row = rows.size();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i] == "montagna,   41400,  43500,  1") before_close_row = i;
  }
  EXPECT_EQ(
      std::count(rows.begin(), rows.end(), "montagna,   6200,  19500,  11"), 1);
  // The next row starts exactly 150 m after this one ends.
  ASSERT_LT(before_close_row + 1, rows.size());
  EXPECT_EQ(rows[before_close_row + 1], "montagna,   43650,  43800,  1");
}

TEST_F(line_source, mountains_ascend_and_five_follow_within_150_m) {
  const std::vector<mountain> ms = mountains();
  ASSERT_EQ(ms.size(), 32u);
  std::map<int, int> per_type;
  std::vector<int> close_starts;
  for (std::size_t i = 0; i < ms.size(); ++i) {
    SCOPED_TRACE("mountain from " + std::to_string(ms[i].from_m));
    ++per_type[ms[i].type];
    EXPECT_LT(ms[i].from_m, ms[i].to_m);
    if (i == 0) continue;
    EXPECT_GT(ms[i].from_m, ms[i - 1].to_m);
    if (ms[i].from_m - ms[i - 1].to_m <= 150)
      close_starts.push_back(ms[i].from_m);
  }
  EXPECT_EQ(per_type, (std::map<int, int>{{1, 8}, {2, 23}, {11, 1}}));
  EXPECT_EQ(close_starts,
            (std::vector<int>{43650, 43900, 44100, 46000, 50400}));
}

TEST_F(line_source, every_position_lies_on_the_line) {
  std::vector<int> positions;
  for (const curve& c : curves()) {
    positions.push_back(c.start_m);
    positions.push_back(c.end_m());
  }
  for (const gradient& g : gradients()) positions.push_back(g.position_m);
  for (const mountain& m : mountains()) {
    positions.push_back(m.from_m);
    positions.push_back(m.to_m);
  }
  for (const char* marker : {"[cartelli]", "[indicazioni]"}) {
    for (const std::string& row : rows_of(marker)) {
      const std::vector<std::string_view> f = split_fields(row);
      ASSERT_GE(f.size(), 2u) << row;
      const std::optional<int> p = strict_number(f[1], 2);
      ASSERT_TRUE(p.has_value()) << row;
      positions.push_back(*p);
    }
  }
  EXPECT_EQ(positions.size(), 2u * 89 + 31 + 2u * 32 + 16 + 3);
  for (const int p : positions) {
    EXPECT_TRUE(p >= 0 && p <= line_length_m) << p;
  }
}

}  // namespace
