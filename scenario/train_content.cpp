// The train source of the embedded service. The general, adhesion and speed
// rows are kept as the text they are; the station and signal rows are built
// from tables of numbers, because the reader only cares about the numbers and
// a fixed column layout is easier to keep right in one formatter than in 85
// hand-spaced strings.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scenario/embedded_scenario.h"
#include "scenario/station_names.h"

namespace {

// The value right-aligned in `width` characters. A value wider than its
// column is written whole: the reader splits at commas, so spacing never
// changes a number.
std::string right_aligned(std::int32_t value, std::size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() >= width) return digits;
  return std::string(width - digits.size(), ' ') + digits;
}

// One station row: position, kind and length, then fields 4 to 13 as the
// reader stores them, then the scheduled time.
struct station_row {
  std::int32_t at_m;
  std::int32_t kind;
  std::int32_t length_m;
  std::array<std::int32_t, 10> numbers;
  std::int32_t hours;
  std::int32_t minutes;
  std::int32_t seconds;
};

std::string format_station_row(const station_row& row, std::string_view name) {
  // Column widths of the sixteen numbers, each counted after its comma.
  constexpr std::array<std::size_t, 16> widths = {8, 3, 5, 3, 2, 2, 3, 1,
                                                  1, 3, 1, 1, 5, 4, 2, 2};
  std::array<std::int32_t, 16> values{};
  values[0] = row.at_m;
  values[1] = row.kind;
  values[2] = row.length_m;
  std::copy(row.numbers.begin(), row.numbers.end(), values.begin() + 3);
  values[13] = row.hours;
  values[14] = row.minutes;
  values[15] = row.seconds;

  std::string line = "stazione,";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) line += ',';
    line += right_aligned(values[i], widths[i]);
  }
  line += ", ";
  line += name;
  return line;
}

std::vector<std::string> station_rows() {
  // Kinds: 2 start terminal, 6 end terminal, 4, 12 and 22 marked on the
  // track, 26 listed in the timetable only.
  constexpr std::array<station_row, station_count> rows = {{
      {200, 2, 800, {1, 1, 0, 4, 1, 0, 2, 1, 1, 1}, 18, 44, 0},
      {11700, 26, 200, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0, 0},
      {20000, 12, 600, {0, 1, 0, 1, 1, 0, 4, 1, 1, 60}, 19, 2, 0},
      {25000, 26, 500, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0, 0},
      {31000, 12, 600, {0, 0, 0, 1, 1, 0, 4, 1, 1, 60}, 10, 7, 0},
      {37000, 12, 500, {0, 0, 0, 1, 1, 0, 4, 1, 1, 0}, 0, 0, 0},
      {41000, 26, 500, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0, 0},
      {47000, 12, 500, {0, 0, 0, 1, 1, 0, 4, 1, 1, 0}, 0, 0, 0},
      {54500, 12, 500, {0, 0, 0, 1, 1, 0, 4, 1, 1, 0}, 0, 0, 0},
      {62000, 4, 600, {0, 1, 0, 1, 1, 0, 4, 1, 1, 0}, 0, 0, 0},
      {65000, 26, 400, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0, 0},
      {68000, 22, 400, {0, 0, 0, 0, 0, 0, 4, 1, 1, 0}, 0, 0, 0},
      {72000, 22, 500, {0, 0, 0, 0, 0, 0, 4, 1, 1, 0}, 0, 0, 0},
      {75000, 22, 500, {0, 0, 0, 0, 0, 0, 4, 1, 1, 0}, 0, 0, 0},
      {78000, 26, 400, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0, 0},
      {82000, 12, 500, {0, 0, 0, 1, 1, 0, 4, 1, 1, 0}, 0, 0, 0},
      {87000, 26, 400, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0, 0},
      {92000, 22, 500, {0, 0, 0, 0, 0, 0, 4, 1, 1, 0}, 0, 0, 0},
      {96000, 12, 500, {0, 0, 0, 1, 1, 0, 4, 1, 1, 0}, 0, 0, 0},
      {99000, 26, 200, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0, 0},
      {103000, 12, 500, {0, 0, 0, 1, 1, 0, 4, 1, 1, 0}, 0, 0, 0},
      {104500, 26, 200, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0, 0},
      {107000, 6, 800, {1, 1, 0, 1, 1, 0, 2, 1, 1, 0}, 20, 2, 0},
  }};
  const std::array<station_name, station_count> names = station_names();

  std::vector<std::string> lines;
  lines.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    lines.push_back(format_station_row(rows[i], names[i].source));
  }
  return lines;
}

// Fields 2 to 11 of a signal row.
using signal_numbers = std::array<std::int32_t, 10>;

struct signal_row {
  std::int32_t at_m;
  signal_numbers numbers;
};

std::string format_signal_row(const signal_row& row) {
  // Widths of fields 2 to 10, each counted after its comma. The last field
  // keeps one blank before a one- or two-digit value and widens to four
  // characters for a three-digit one.
  constexpr std::array<std::size_t, 9> widths = {4, 2, 2, 3, 2, 5, 3, 1, 1};
  std::string line = "segnale,";
  line += right_aligned(row.at_m, 8);
  for (std::size_t i = 0; i < widths.size(); ++i) {
    line += ',';
    line += right_aligned(row.numbers[i], widths[i]);
  }
  const std::int32_t last = row.numbers[9];
  line += ',';
  line += right_aligned(last, last >= 100 ? 4 : 2);
  return line;
}

std::vector<std::string> signal_rows() {
  // The service uses fifteen settings of a signal; listing each setting once
  // with the positions that carry it shows at a glance which signals behave
  // alike. The rows themselves must stand in running order.
  struct signal_group {
    signal_numbers numbers;
    std::vector<std::int32_t> positions_m;
  };
  const std::vector<signal_group> groups = {
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

  std::vector<signal_row> rows;
  for (const signal_group& group : groups) {
    for (std::int32_t at_m : group.positions_m) {
      rows.push_back({at_m, group.numbers});
    }
  }
  std::sort(
      rows.begin(), rows.end(),
      [](const signal_row& a, const signal_row& b) { return a.at_m < b.at_m; });

  std::vector<std::string> lines;
  lines.reserve(rows.size());
  for (const signal_row& row : rows) lines.push_back(format_signal_row(row));
  return lines;
}

void append(std::vector<std::string>& lines,
            const std::vector<std::string>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
}

}  // namespace

std::vector<std::string> train_source_document() {
  std::vector<std::string> lines = {
      "[generale]",
      "numero vetture,    7",
      "percentuale massa frenata,    100",
      "sabbia,    0",
      // Hours, minutes and seconds are parted by blanks, not commas, and
      // the row ends with a blank.
      "orologio,    18              43            30 ",
      "[aderenze]",
      "aderenza,   0,    100",
      "[vel_limite]",
      "velocita,   0,    30",
      "velocita,    1700,    75",
      "velocita,    6100,   110",
      "velocita,   20000,    85",
      "velocita,   20450,   100",
      "velocita,   25250,   130",
      "velocita,   39200,   100",
      "velocita,   62500,   110",
      "velocita,   63000,   150",
      "velocita,   70000,   135",
      "velocita,   80500,   150",
      "velocita,   85000,   135",
      "velocita,   90800,   105",
      "velocita,   92400,   150",
      "velocita,   96500,   155",
      "velocita,  105000,   105",
      "velocita,  105700,    30",
      "[stazioni]",
  };
  append(lines, station_rows());
  // The service has no slowdowns, so "[rallentamenti]" stands as a bare
  // header; "[codici]" likewise, since no code marker is placed by hand.
  lines.push_back("[rallentamenti]");
  lines.push_back("[segnali]");
  append(lines, signal_rows());
  lines.push_back("[codici]");
  lines.push_back("[fine]");
  lines.push_back(std::string(end_marker));
  return lines;
}
