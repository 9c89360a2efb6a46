// The train source is read back by the compiler in the same run, so these
// tests parse it the way the compiler sees it (comma-separated fields) and
// also hold it to its exact text, since the file is reproduced byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "scenario/document_testing.h"
#include "scenario/embedded_scenario.h"

namespace {

std::vector<std::string> split_fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma - start));
    if (comma == std::string::npos) return fields;
    start = comma + 1;
  }
}

// A number right-aligned in exactly `width` characters: blanks, then digits.
std::optional<std::int32_t> right_aligned_number(const std::string& field,
                                                 std::size_t width) {
  if (field.size() != width) return std::nullopt;
  const std::size_t first = field.find_first_not_of(' ');
  if (first == std::string::npos || field.size() - first > 9) {
    return std::nullopt;
  }
  std::int32_t value = 0;
  for (std::size_t i = first; i < field.size(); ++i) {
    if (field[i] < '0' || field[i] > '9') return std::nullopt;
    value = value * 10 + (field[i] - '0');
  }
  return value;
}

// The rows between `header` and the next header line.
std::vector<std::string> section_rows(const std::vector<std::string>& lines,
                                      const std::string& header) {
  std::vector<std::string> rows;
  auto it = std::find(lines.begin(), lines.end(), header);
  if (it == lines.end()) return rows;
  for (++it; it != lines.end() && it->rfind("[", 0) != 0; ++it) {
    rows.push_back(*it);
  }
  return rows;
}

struct station_fields {
  std::int32_t at_m = 0;
  std::int32_t kind = 0;
  std::int32_t length_m = 0;
  std::array<std::int32_t, 13> rest{};  // fields 4 to 16
  std::string name;
};

// Parses a station row, holding every number to its column width.
std::optional<station_fields> parse_station_row(const std::string& line) {
  constexpr std::array<std::size_t, 16> widths = {8, 3, 5, 3, 2, 2, 3, 1,
                                                  1, 3, 1, 1, 5, 4, 2, 2};
  const std::vector<std::string> fields = split_fields(line);
  if (fields.size() != 18 || fields[0] != "stazione") return std::nullopt;
  std::array<std::int32_t, 16> numbers{};
  for (std::size_t i = 0; i < widths.size(); ++i) {
    const auto value = right_aligned_number(fields[i + 1], widths[i]);
    if (!value) return std::nullopt;
    numbers[i] = *value;
  }
  const std::string& last = fields[17];
  if (last.size() < 2 || last[0] != ' ' || last[1] == ' ') return std::nullopt;
  station_fields out;
  out.at_m = numbers[0];
  out.kind = numbers[1];
  out.length_m = numbers[2];
  std::copy(numbers.begin() + 3, numbers.end(), out.rest.begin());
  out.name = last.substr(1);
  return out;
}

using signal_numbers = std::array<std::int32_t, 10>;

// Parses a signal row into its position and fields 2 to 11, holding every
// number to its column width (the last one is 2 wide, or 4 for 100 and up).
std::optional<std::pair<std::int32_t, signal_numbers>> parse_signal_row(
    const std::string& line) {
  constexpr std::array<std::size_t, 10> widths = {8, 4, 2, 2, 3, 2, 5, 3, 1, 1};
  const std::vector<std::string> fields = split_fields(line);
  if (fields.size() != 12 || fields[0] != "segnale") return std::nullopt;
  std::array<std::int32_t, 11> numbers{};
  for (std::size_t i = 0; i < widths.size(); ++i) {
    const auto value = right_aligned_number(fields[i + 1], widths[i]);
    if (!value) return std::nullopt;
    numbers[i] = *value;
  }
  const std::string& last = fields[11];
  const auto tempo = right_aligned_number(last, last.size() == 4 ? 4 : 2);
  if (!tempo || (*tempo >= 100) != (last.size() == 4)) return std::nullopt;
  numbers[10] = *tempo;
  signal_numbers rest{};
  std::copy(numbers.begin() + 1, numbers.end(), rest.begin());
  return std::make_pair(numbers[0], rest);
}

std::vector<station_fields> parsed_stations(
    const std::vector<std::string>& lines) {
  std::vector<station_fields> stations;
  for (const std::string& row : section_rows(lines, "[stazioni]")) {
    const auto station = parse_station_row(row);
    EXPECT_TRUE(station.has_value()) << row;
    if (station) stations.push_back(*station);
  }
  return stations;
}

struct extent {
  std::int32_t from_m;
  std::int32_t to_m;
};

// The stretch of track the reader gives a station, by kind.
extent station_extent(const station_fields& s) {
  const std::int32_t a = s.at_m;
  const std::int32_t l = s.length_m;
  if (s.kind == 5 || s.kind == 6) return {a - l, a + 150};
  if (s.kind == 7 || s.kind == 8) return {a - l, a + l};
  const bool adds_50 = s.rest[2] != 0;  // opt_d
  return {a - l / 2, a + l / 2 + (adds_50 ? 50 : 0)};
}

// The grid cell of a position: the nearest integer to at_m / 50 + 1, an
// exact half going to the even neighbour.
std::int32_t cell_of(std::int32_t at_m) {
  std::int32_t q = at_m / 50;
  const std::int32_t r = at_m % 50;
  if (r > 25 || (r == 25 && q % 2 != 0)) ++q;
  return q + 1;
}

TEST(train_source, ends_with_the_end_marker_after_115_lines) {
  const std::vector<std::string> document = train_source_document();
  ASSERT_EQ(document.size(), 116u);
  EXPECT_EQ(document.back(), end_marker);
  EXPECT_EQ(written_lines(document).size(), 115u);
  // Regression guard for the shipped file, CR LF included. The figure moves
  // with the station names: each station row is 72 characters plus its name.
  EXPECT_EQ(file_size_bytes(document), 5958u);
}

TEST(train_source, sections_stand_in_order_with_their_row_counts) {
  struct section {
    const char* header;
    std::size_t rows;
    const char* keyword;  // every row of the section starts with it
  };
  const section expected[] = {
      {"[generale]", 4, ""},
      {"[aderenze]", 1, "aderenza,"},
      {"[vel_limite]", 17, "velocita,"},
      {"[stazioni]", 23, "stazione,"},
      {"[rallentamenti]", 0, ""},
      {"[segnali]", 62, "segnale,"},
      {"[codici]", 0, ""},
      {"[fine]", 0, ""},
  };
  const std::vector<std::string> lines = written_lines(train_source_document());

  std::vector<std::string> headers;
  for (const std::string& line : lines) {
    if (line.rfind("[", 0) == 0) headers.push_back(line);
  }
  ASSERT_EQ(headers.size(), std::size(expected));
  EXPECT_EQ(lines.front(), "[generale]");
  EXPECT_EQ(lines.back(), "[fine]");
  for (std::size_t i = 0; i < headers.size(); ++i) {
    SCOPED_TRACE(expected[i].header);
    EXPECT_EQ(headers[i], expected[i].header);
    const std::vector<std::string> rows =
        section_rows(lines, expected[i].header);
    EXPECT_EQ(rows.size(), expected[i].rows);
    for (const std::string& row : rows) {
      EXPECT_EQ(row.rfind(expected[i].keyword, 0), 0u) << row;
    }
  }
}

TEST(train_source, general_adhesion_and_speed_rows_are_exact) {
  const std::vector<std::string> lines = written_lines(train_source_document());
  const std::vector<std::string> general = {
      "numero vetture,    7",
      "percentuale massa frenata,    100",
      "sabbia,    0",
      // blanks, not commas, between the parts; one blank at the end
      "orologio,    18              43            30 ",
  };
  EXPECT_EQ(section_rows(lines, "[generale]"), general);
  EXPECT_EQ(section_rows(lines, "[aderenze]"),
            std::vector<std::string>{"aderenza,   0,    100"});
  const std::vector<std::string> speeds = {
      "velocita,   0,    30",     "velocita,    1700,    75",
      "velocita,    6100,   110", "velocita,   20000,    85",
      "velocita,   20450,   100", "velocita,   25250,   130",
      "velocita,   39200,   100", "velocita,   62500,   110",
      "velocita,   63000,   150", "velocita,   70000,   135",
      "velocita,   80500,   150", "velocita,   85000,   135",
      "velocita,   90800,   105", "velocita,   92400,   150",
      "velocita,   96500,   155", "velocita,  105000,   105",
      "velocita,  105700,    30",
  };
  EXPECT_EQ(section_rows(lines, "[vel_limite]"), speeds);
}

TEST(train_source, empty_sections_are_bare_headers) {
  const std::vector<std::string> lines = written_lines(train_source_document());
  const auto slowdowns =
      std::find(lines.begin(), lines.end(), "[rallentamenti]");
  ASSERT_NE(slowdowns, lines.end());
  ASSERT_NE(slowdowns, lines.begin());
  EXPECT_EQ((slowdowns - 1)->rfind("stazione,", 0), 0u);  // last station
  EXPECT_EQ(*(slowdowns + 1), "[segnali]");
  const auto codes = std::find(lines.begin(), lines.end(), "[codici]");
  ASSERT_NE(codes, lines.end());
  EXPECT_EQ((codes - 1)->rfind("segnale,", 0), 0u);  // last signal
  EXPECT_EQ(*(codes + 1), "[fine]");
}

TEST(train_source, station_rows_keep_their_columns) {
  const std::vector<std::string> rows =
      section_rows(written_lines(train_source_document()), "[stazioni]");
  ASSERT_EQ(rows.size(), 23u);
  for (const std::string& row : rows) {
    SCOPED_TRACE(row);
    const auto station = parse_station_row(row);
    ASSERT_TRUE(station.has_value());
    // 9 for the keyword, 46 digits and blanks, 15 commas, ", " and the name.
    EXPECT_EQ(row.size(), 72 + station->name.size());
  }

  EXPECT_EQ(rows.front(),
            "stazione,     200,  2,  800,  1, 1, 0,  4,1,0,  2,1,1,    1,  "
            "18,44, 0, CENDRA");
  struct prefix_case {
    std::size_t row;
    const char* prefix;  // the row up to its name
  };
  const prefix_case prefixes[] = {
      // a timetable-only station (kind 26)
      {1,
       "stazione,   11700, 26,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, "
       "0, 0, "},
      // the first stop on the way
      {2,
       "stazione,   20000, 12,  600,  0, 1, 0,  1,1,0,  4,1,1,   60,  19, "
       "2, 0, "},
      // the end terminal
      {22,
       "stazione,  107000,  6,  800,  1, 1, 0,  1,1,0,  2,1,1,    0,  20, "
       "2, 0, "},
  };
  for (const prefix_case& c : prefixes) {
    SCOPED_TRACE(c.prefix);
    EXPECT_EQ(rows[c.row].rfind(c.prefix, 0), 0u) << rows[c.row];
  }
  EXPECT_EQ(rows[1], std::string(prefixes[0].prefix) + "P.C.VADDRO");
}

TEST(train_source, stations_satisfy_the_compilers_placement_rules) {
  const std::vector<station_fields> stations =
      parsed_stations(written_lines(train_source_document()));
  ASSERT_EQ(stations.size(), 23u);

  std::map<std::int32_t, int> kinds;
  std::int32_t previous_to_m = 0;
  for (std::size_t i = 0; i < stations.size(); ++i) {
    const station_fields& s = stations[i];
    SCOPED_TRACE(s.name);
    ++kinds[s.kind];
    EXPECT_EQ(s.at_m % 50, 0);       // else error 8
    EXPECT_EQ(s.length_m % 100, 0);  // else error 9
    if (i > 0) {
      EXPECT_GT(s.at_m, stations[i - 1].at_m);
    }

    // Stations must stand 350 m clear of the one before (error 22).
    const extent e = station_extent(s);
    if (i > 0) {
      EXPECT_GE(e.from_m - 350, previous_to_m);
    }
    EXPECT_LE(e.to_m, 108000);
    previous_to_m = e.to_m;
  }
  EXPECT_EQ(stations.front().kind, 2);  // start terminal
  EXPECT_EQ(stations.back().kind, 6);   // end terminal
  const std::map<std::int32_t, int> expected_kinds = {
      {2, 1}, {4, 1}, {6, 1}, {12, 8}, {22, 4}, {26, 8}};
  EXPECT_EQ(kinds, expected_kinds);
}

// The signal settings of the service, each with the positions that carry it.
struct signal_group {
  signal_numbers numbers;
  std::vector<std::int32_t> positions_m;
};

std::vector<signal_group> expected_signal_groups() {
  return {
      {{2, 4, 0, 0, 0, 0, 0, 0, 0, 0},
       {2000, 5000, 8500, 11450, 14450, 22900, 39700, 42300, 50300, 57800}},
      {{1, 4, 0, 0, 0, 0, 0, 0, 0, 0},
       {3500, 7000, 10000, 12950, 21400, 24400, 38600, 41200, 48800, 56300}},
      {{1, 5, 1, 0, 0, 0, 0, 0, 0, 0}, {16450}},
      {{2, 3, 1, 0, 0, 0, 0, 0, 0, 0}, {18950}},
      {{2, 4, 0, 0, 0, 2, 1, 0, 0, 0}, {25900, 34200, 86400, 89400}},
      {{1, 4, 1, 0, 0, 1, 3, 1, 0, 0},
       {28700, 35600, 65400, 69400, 72900, 75900, 79400, 90600, 93700, 100400}},
      {{2, 3, 1, 0, 0, 2, 2, 1, 0, 0}, {30200}},
      {{1, 4, 0, 0, 0, 1, 1, 0, 0, 0}, {32700, 84400, 87900, 97200}},
      {{2, 4, 1, 0, 0, 2, 2, 1, 0, 0},
       {36600, 67400, 71400, 74400, 77400, 81400, 91500, 95200, 98700, 102400,
        103900}},
      {{1, 4, 1, 0, 0, 0, 0, 0, 0, 0}, {44300, 51800, 59300}},
      {{2, 4, 1, 0, 0, 0, 0, 0, 0, 0}, {46300, 53800, 61300}},
      {{2, 4, 0, 0, 0, 1, 1, 0, 0, 0}, {63900}},
      {{2, 4, 0, 0, 0, 2, 2, 0, 0, 0}, {78150}},
      {{1, 3, 1, 0, 0, 1, 3, 1, 0, 0}, {104800}},
      {{2, 2, 3, 1, 0, 2, 2, 1, 1, 215}, {105700}},
  };
}

TEST(train_source, signal_rows_carry_the_signal_table_in_running_order) {
  const std::vector<std::string> rows =
      section_rows(written_lines(train_source_document()), "[segnali]");
  ASSERT_EQ(rows.size(), 62u);
  EXPECT_EQ(rows.front(),
            "segnale,    2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0");
  EXPECT_EQ(rows.back(),
            "segnale,  105700,   2, 2, 3,  1, 0,    2,  2,1,1, 215");

  std::map<std::int32_t, signal_numbers> expected;
  for (const signal_group& group : expected_signal_groups()) {
    for (std::int32_t at_m : group.positions_m) {
      EXPECT_TRUE(expected.emplace(at_m, group.numbers).second) << at_m;
    }
  }
  std::map<std::int32_t, signal_numbers> parsed;
  std::int32_t previous_m = -1;
  for (const std::string& row : rows) {
    SCOPED_TRACE(row);
    const auto signal = parse_signal_row(row);
    ASSERT_TRUE(signal.has_value());
    EXPECT_GT(signal->first, previous_m);
    previous_m = signal->first;
    parsed.emplace(signal->first, signal->second);
  }
  EXPECT_EQ(parsed, expected);
}

TEST(train_source, no_signal_shares_a_cell_with_another_or_a_station) {
  // The reader refuses a signal whose 50 m cell already holds a signal or a
  // station marker (error 16); stations are read first.
  const std::vector<std::string> lines = written_lines(train_source_document());
  std::map<std::int32_t, std::string> taken;
  for (const station_fields& s : parsed_stations(lines)) {
    if (s.kind >= 25) continue;  // timetable only, nothing on the track
    taken.emplace(station_extent(s).to_m / 50 - 1, s.name);
  }
  for (const std::string& row : section_rows(lines, "[segnali]")) {
    const auto signal = parse_signal_row(row);
    ASSERT_TRUE(signal.has_value()) << row;
    const auto [it, inserted] = taken.emplace(cell_of(signal->first), row);
    EXPECT_TRUE(inserted) << row << " meets " << it->second;
  }
}

}  // namespace
