// The train card: a fixed sheet for the driver. Its header is kept as the text
// it is; its table rows are built from one table of row data, since every row
// shares one ruled layout of seven cells and five ways of writing the times.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scenario/embedded_scenario.h"
#include "scenario/station_names.h"

namespace {

// How a row's time cell reads.
enum class time_form {
  blank,         // a board row
  departure,     // the start terminal
  stop,          // arrival and departure of a station where the train stops
  passing,       // a station passed
  passing_plus,  // a station passed, marked with "+" on the card
  arrival,       // the end terminal
};

struct clock_time {
  std::int32_t hours;
  std::int32_t minutes;
};

// One body row. A station row names its station by number (1 to 23) and
// takes the card's spelling from the station names; a board row has station
// 0 and its own text.
struct card_row {
  std::int32_t limit_kmh;    // "Vel. Lim.", 0 for a blank cell
  std::int32_t running_kmh;  // "Vel. Marc.", 0 for a blank cell
  std::int32_t at_m;
  std::size_t station;
  std::string_view board;
  time_form form;
  clock_time first;   // the only time, or the arrival of a stop
  clock_time second;  // the departure of a stop
};

std::string padded_left(std::string_view text, std::size_t width) {
  std::string out(text);
  if (out.size() < width) out.insert(0, width - out.size(), ' ');
  return out;
}

std::string padded_right(std::string_view text, std::size_t width) {
  std::string out(text);
  if (out.size() < width) out.append(width - out.size(), ' ');
  return out;
}

std::string two_digits(std::int32_t value) {
  std::string digits = std::to_string(value);
  return digits.size() < 2 ? "0" + digits : digits;
}

// "19.02".
std::string clock_text(clock_time t) {
  return two_digits(t.hours) + "." + two_digits(t.minutes);
}

// "63+000": whole kilometres, "+", the metres in three digits.
std::string kilometre_text(std::int32_t at_m) {
  std::string metres = std::to_string(at_m % 1000);
  if (metres.size() < 3) metres.insert(0, 3 - metres.size(), '0');
  return std::to_string(at_m / 1000) + "+" + metres;
}

// A 5-character speed cell: the speed right-aligned in 3 between blanks.
std::string speed_cell(std::int32_t kmh) {
  if (kmh == 0) return std::string(5, ' ');
  return " " + padded_left(std::to_string(kmh), 3) + " ";
}

// The 16-character time cell.
std::string time_cell(const card_row& row) {
  const std::string first = clock_text(row.first);
  switch (row.form) {
    case time_form::blank:
      return std::string(16, ' ');
    case time_form::departure:
      return std::string(10, ' ') + first + " ";
    case time_form::stop:
      return " " + first + "    " + clock_text(row.second) + " ";
    case time_form::passing:
      return std::string(5, ' ') + first + std::string(6, ' ');
    case time_form::passing_plus:
      return std::string(5, ' ') + first + "+" + std::string(5, ' ');
    case time_form::arrival:
      return " " + first + std::string(10, ' ');
  }
  return std::string(16, ' ');
}

std::string format_card_row(const card_row& row, std::string_view name) {
  std::string line = " |";
  line += speed_cell(row.limit_kmh) + "|";
  line += speed_cell(row.running_kmh) + "|";
  line += padded_left(kilometre_text(row.at_m), 9) + " |";
  line += std::string(5, ' ') + "|";  // "No Rs", never filled in
  line += padded_right(name, 28) + "|";
  line += time_cell(row) + "|";
  line += std::string(5, ' ') + "|";  // "Rec", never filled in
  return line;
}

std::vector<std::string> body_rows() {
  using tf = time_form;
  constexpr std::string_view board = "Cartello Indicatore";
  constexpr std::string_view exit = "Deviatoio di Uscita";
  // The start terminal stands at 0+000 on the card, although its station row
  // in the train source is at 200 m: the card counts from the line origin.
  constexpr std::array<card_row, 39> rows = {{
      {30, 0, 0, 1, "", tf::departure, {18, 44}, {}},
      {75, 70, 1700, 0, board, tf::blank, {}, {}},
      {110, 105, 6100, 0, "Imbocco G.Del Vaddro", tf::blank, {}, {}},
      {0, 0, 11700, 2, "", tf::passing, {18, 54}, {}},
      {85, 80, 19000, 0, "Sbocco G.Del Vaddro", tf::blank, {}, {}},
      {0, 0, 20000, 3, "", tf::stop, {19, 0}, {19, 2}},
      {100, 95, 20450, 0, exit, tf::blank, {}, {}},
      {0, 0, 25000, 4, "", tf::passing, {19, 6}, {}},
      {130, 125, 25250, 0, board, tf::blank, {}, {}},
      {0, 0, 31000, 5, "", tf::stop, {19, 11}, {19, 12}},
      {0, 0, 37000, 6, "", tf::passing, {19, 16}, {}},
      {100, 95, 37700, 0, board, tf::blank, {}, {}},
      {0, 0, 41000, 7, "", tf::passing_plus, {19, 18}, {}},
      {0, 0, 47000, 8, "", tf::passing_plus, {19, 22}, {}},
      {0, 0, 54500, 9, "", tf::passing, {19, 26}, {}},
      {0, 0, 62000, 10, "", tf::passing, {19, 32}, {}},
      {110, 105, 62500, 0, exit, tf::blank, {}, {}},
      {150, 140, 63000, 0, "Cippo Km 63+000", tf::blank, {}, {}},
      {0, 0, 65000, 11, "", tf::passing_plus, {19, 33}, {}},
      {0, 0, 68000, 12, "", tf::passing, {19, 35}, {}},
      {135, 130, 68500, 0, board, tf::blank, {}, {}},
      {0, 0, 72000, 13, "", tf::passing_plus, {19, 37}, {}},
      {0, 0, 75000, 14, "", tf::passing_plus, {19, 38}, {}},
      {0, 0, 78000, 15, "", tf::passing_plus, {19, 39}, {}},
      {150, 140, 80500, 0, board, tf::blank, {}, {}},
      {0, 0, 82000, 16, "", tf::passing, {19, 42}, {}},
      {135, 130, 83500, 0, board, tf::blank, {}, {}},
      {0, 0, 87000, 17, "", tf::passing_plus, {19, 44}, {}},
      {105, 100, 89300, 0, board, tf::blank, {}, {}},
      {0, 0, 92000, 18, "", tf::passing, {19, 48}, {}},
      {150, 140, 92400, 0, exit, tf::blank, {}, {}},
      {0, 0, 96000, 19, "", tf::passing_plus, {19, 50}, {}},
      {155, 145, 96500, 0, exit, tf::blank, {}, {}},
      {0, 0, 99000, 20, "", tf::passing, {19, 52}, {}},
      {0, 0, 103000, 21, "", tf::passing_plus, {19, 55}, {}},
      {105, 90, 103500, 0, board, tf::blank, {}, {}},
      {0, 0, 104500, 22, "", tf::passing_plus, {19, 57}, {}},
      {30, 30, 105000, 0, "Cippo Km 105+000", tf::blank, {}, {}},
      {0, 0, 107000, 23, "", tf::arrival, {20, 2}, {}},
  }};
  const std::array<station_name, station_count> names = station_names();

  std::vector<std::string> lines;
  lines.reserve(rows.size());
  for (const card_row& row : rows) {
    const bool is_station = row.station >= 1 && row.station <= station_count;
    lines.push_back(format_card_row(
        row, is_station ? names[row.station - 1].card : row.board));
  }
  return lines;
}

}  // namespace

std::vector<std::string> train_card_document() {
  constexpr std::string_view table_rule =
      " |_____|_____|__________|_____|____________________________|"
      "________________|_____|";
  std::vector<std::string> lines = {
      "",
      "",
      "  ___________________                                             "
      "  ______________",
      " |                   |                    SCHEDA                   "
      "|              |",
      " |   TRENO n.482     |                   da: Cendra                "
      "|    V200 C    |",
      " |___________________|                    a: Gelsio P.N.           "
      "|     130%     |",
      "                                                                   "
      "|______________|",
      "  ___________________                ___________________",
      // The classification box's line ends in seven blanks.
      " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
      " |        EC         |              |      430T         |",
      " |___________________|              |___________________|",
      "",
      "  _______________________________________________________________"
      "_________________",
      " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     "
      "Orario     | Rec |",
      " | Lim.|Marc.|          |  Rs |                            |     "
      "           |     |",
      std::string(table_rule),
  };
  const std::vector<std::string> body = body_rows();
  lines.insert(lines.end(), body.begin(), body.end());
  lines.push_back(std::string(table_rule));  // closes the table
  lines.push_back(std::string(end_marker));
  return lines;
}
