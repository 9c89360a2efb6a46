// The printed documents (train card, slowdown order form, notes) and the
// station names the card shares with the train source. Nothing reads these
// documents back, so they are held to their exact text and ruled layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scenario/document_testing.h"
#include "scenario/embedded_scenario.h"
#include "scenario/station_names.h"

namespace {

TEST(documents, every_list_ends_with_one_end_marker_and_plain_ascii) {
  struct document_case {
    const char* note;
    std::vector<std::string> document;
  };
  const document_case cases[] = {
      {"train source", train_source_document()},
      {"train card", train_card_document()},
      {"slowdown form", slowdown_form_document()},
      {"notes", notes_document()},
  };
  for (const document_case& c : cases) {
    SCOPED_TRACE(c.note);
    ASSERT_FALSE(c.document.empty());
    EXPECT_LE(c.document.size(), 1001u);  // the writer's room
    EXPECT_EQ(c.document.back(), end_marker);
    EXPECT_EQ(std::count(c.document.begin(), c.document.end(),
                         std::string(end_marker)),
              1);
    for (const std::string& line : c.document) {
      for (char ch : line) {
        // Printable 7-bit ASCII only: CR LF is the writer's business.
        EXPECT_TRUE(ch >= ' ' && ch <= '~') << line;
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Train card

// The seven cells of a card body row, split at the rulings.
struct card_cells {
  std::string limit, running, km, no_rs, name, times, rec;
};

std::optional<card_cells> split_card_row(const std::string& line) {
  constexpr std::array<std::size_t, 7> widths = {5, 5, 10, 5, 28, 16, 5};
  if (line.size() != 83 || line.compare(0, 2, " |") != 0) return std::nullopt;
  std::array<std::string, 7> cells;
  std::size_t at = 2;
  for (std::size_t i = 0; i < widths.size(); ++i) {
    cells[i] = line.substr(at, widths[i]);
    at += widths[i];
    if (line[at] != '|') return std::nullopt;
    ++at;
  }
  return card_cells{cells[0], cells[1], cells[2], cells[3],
                    cells[4], cells[5], cells[6]};
}

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool all_blank(const std::string& text) {
  return text.find_first_not_of(' ') == std::string::npos;
}

// A speed cell " NNN " as a number, 0 for a blank cell, -1 for anything else.
int speed_of(const std::string& cell) {
  if (all_blank(cell)) return 0;
  if (cell.size() != 5 || cell[0] != ' ' || cell[4] != ' ') return -1;
  const std::string digits = trimmed(cell);
  if (digits.empty() || cell.find_first_not_of(' ', 1) + digits.size() != 4 ||
      !std::all_of(digits.begin(), digits.end(),
                   [](char c) { return c >= '0' && c <= '9'; })) {
    return -1;
  }
  return std::stoi(digits);
}

// "63+000 " right-aligned: whole kilometres, "+", three-digit metres, then
// one blank. Metres, or -1 for anything else.
std::int32_t metres_of(const std::string& cell) {
  if (cell.size() != 10 || cell.back() != ' ') return -1;
  const std::string text = trimmed(cell);
  const std::size_t plus = text.find('+');
  if (plus == std::string::npos || plus == 0 || text.size() - plus != 4 ||
      cell.find_first_not_of(' ') + text.size() != 9) {
    return -1;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i != plus && (text[i] < '0' || text[i] > '9')) return -1;
  }
  return std::stoi(text.substr(0, plus)) * 1000 +
         std::stoi(text.substr(plus + 1));
}

// The times of a time cell, in minutes of the day, if the cell has one of the
// five forms; `form` names it.
struct card_times {
  std::string form;
  std::vector<int> minutes;
};

std::optional<int> clock_minutes(const std::string& text) {
  if (text.size() != 5 || text[2] != '.') return std::nullopt;
  for (std::size_t i : {0u, 1u, 3u, 4u}) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  }
  return std::stoi(text.substr(0, 2)) * 60 + std::stoi(text.substr(3, 2));
}

std::optional<card_times> times_of(const std::string& cell) {
  if (cell.size() != 16) return std::nullopt;
  if (all_blank(cell)) return card_times{"blank", {}};
  struct layout {
    const char* form;
    std::size_t first_at;
    std::size_t second_at;  // 0: no second time
    const char* mark;       // text right after the first time
  };
  const layout layouts[] = {
      {"departure", 10, 0, ""},    {"stop", 1, 10, ""},   {"passing", 5, 0, ""},
      {"passing_plus", 5, 0, "+"}, {"arrival", 1, 0, ""},
  };
  for (const layout& l : layouts) {
    std::string rest = cell;
    const auto first = clock_minutes(cell.substr(l.first_at, 5));
    if (!first) continue;
    rest.replace(l.first_at, 5, 5, ' ');
    card_times out{l.form, {*first}};
    if (l.second_at != 0) {
      const auto second = clock_minutes(cell.substr(l.second_at, 5));
      if (!second) continue;
      rest.replace(l.second_at, 5, 5, ' ');
      out.minutes.push_back(*second);
    }
    const std::string mark = l.mark;
    if (rest.compare(l.first_at + 5, mark.size(), mark) != 0) continue;
    rest.replace(l.first_at + 5, mark.size(), mark.size(), ' ');
    if (all_blank(rest)) return out;
  }
  return std::nullopt;
}

std::vector<std::string> card_body() {
  const std::vector<std::string> lines = written_lines(train_card_document());
  if (lines.size() != 56) return {};
  return {lines.begin() + 16, lines.begin() + 55};
}

TEST(train_card, has_56_lines_and_4411_bytes) {
  const std::vector<std::string> document = train_card_document();
  ASSERT_EQ(document.size(), 57u);
  EXPECT_EQ(written_lines(document).size(), 56u);
  EXPECT_EQ(file_size_bytes(document), 4411u);
}

TEST(train_card, header_and_closing_rule_are_exact) {
  struct line_case {
    std::size_t number;  // 1-based
    std::size_t length;
    const char* text;
  };
  const line_case cases[] = {
      {1, 0, ""},
      {2, 0, ""},
      {3, 82,
       "  ___________________                                               "
       "______________"},
      {4, 83,
       " |                   |                    SCHEDA                   |"
       "              |"},
      {5, 83,
       " |   TRENO n.482     |                   da: Cendra                |"
       "    V200 C    |"},
      {6, 83,
       " |___________________|                    a: Gelsio P.N.           |"
       "     130%     |"},
      {7, 83,
       "                                                                   |"
       "______________|"},
      {8, 56, "  ___________________                ___________________"},
      // ends in seven blanks
      {9, 64,
       " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       "},
      {10, 57, " |        EC         |              |      430T         |"},
      {11, 57, " |___________________|              |___________________|"},
      {12, 0, ""},
      {13, 82,
       "  ___________________________________________________________________"
       "_____________"},
      {14, 83,
       " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     "
       "Orario     | Rec |"},
      {15, 83,
       " | Lim.|Marc.|          |  Rs |                            |        "
       "        |     |"},
      {16, 83,
       " |_____|_____|__________|_____|____________________________|________"
       "________|_____|"},
      // the table closes with the rule under its headings
      {56, 83,
       " |_____|_____|__________|_____|____________________________|________"
       "________|_____|"},
  };
  const std::vector<std::string> lines = written_lines(train_card_document());
  ASSERT_EQ(lines.size(), 56u);
  for (const line_case& c : cases) {
    SCOPED_TRACE("line " + std::to_string(c.number));
    EXPECT_EQ(lines[c.number - 1], c.text);
    EXPECT_EQ(lines[c.number - 1].size(), c.length);
  }
}

TEST(train_card, body_rows_keep_the_ruled_layout) {
  const std::vector<std::string> body = card_body();
  ASSERT_EQ(body.size(), 39u);
  for (const std::string& row : body) {
    SCOPED_TRACE(row);
    const auto cells = split_card_row(row);
    ASSERT_TRUE(cells.has_value());
    EXPECT_TRUE(all_blank(cells->no_rs));
    EXPECT_TRUE(all_blank(cells->rec));
    EXPECT_GE(speed_of(cells->limit), 0);
    EXPECT_GE(speed_of(cells->running), 0);
    EXPECT_GE(metres_of(cells->km), 0);
    EXPECT_NE(cells->name[0], ' ');  // names stand left
    const auto times = times_of(cells->times);
    ASSERT_TRUE(times.has_value());
    if (times->form == "blank") {
      // a board: both speeds, no time
      EXPECT_GT(speed_of(cells->limit), 0);
      EXPECT_GT(speed_of(cells->running), 0);
    } else if (times->form != "departure") {
      // a station other than the start: no speeds
      EXPECT_EQ(speed_of(cells->limit), 0);
      EXPECT_EQ(speed_of(cells->running), 0);
    }
  }
}

TEST(train_card, quoted_rows_and_time_forms_are_exact) {
  struct row_case {
    std::size_t row;   // 1-based body row
    const char* text;  // a whole row, or only its time cell
  };
  const row_case rows[] = {
      {1,
       " |  30 |     |    0+000 |     |CENDRA                      |"
       "          18.44 |     |"},
      {2,
       " |  75 |  70 |    1+700 |     |Cartello Indicatore         |"
       "                |     |"},
      {4,
       " |     |     |   11+700 |     |P.C.VADDRO                  |"
       "     18.54      |     |"},
      {18,
       " | 150 | 140 |   63+000 |     |Cippo Km 63+000             |"
       "                |     |"},
      {38,
       " |  30 |  30 |  105+000 |     |Cippo Km 105+000            |"
       "                |     |"},
      {6, " 19.00    19.02 "},   // arrival and departure
      {13, "     19.18+     "},  // passing, marked
      {39, " 20.02          "},  // arrival at the end terminal
  };
  const std::vector<std::string> body = card_body();
  ASSERT_EQ(body.size(), 39u);
  for (const row_case& c : rows) {
    SCOPED_TRACE("body row " + std::to_string(c.row));
    const std::string& line = body[c.row - 1];
    const std::string expected = c.text;
    if (expected.size() == 16) {
      const auto cells = split_card_row(line);
      ASSERT_TRUE(cells.has_value());
      EXPECT_EQ(cells->times, expected);
    } else {
      EXPECT_EQ(line, expected);
    }
  }
}

TEST(train_card, boards_stand_at_the_speed_boards_with_their_speeds) {
  // The line's speed boards: position and the third speed value.
  struct board {
    std::int32_t at_m;
    int speed_c;
  };
  const board boards[] = {
      {1700, 75},   {6100, 110},  {19000, 85},   {20450, 100},
      {25250, 130}, {37700, 100}, {62500, 110},  {63000, 150},
      {68500, 135}, {80500, 150}, {83500, 135},  {89300, 105},
      {92400, 150}, {96500, 155}, {103500, 105}, {105000, 30},
  };
  std::vector<card_cells> board_rows;
  for (const std::string& row : card_body()) {
    const auto cells = split_card_row(row);
    ASSERT_TRUE(cells.has_value()) << row;
    if (all_blank(cells->times)) board_rows.push_back(*cells);
  }
  ASSERT_EQ(board_rows.size(), std::size(boards));
  for (std::size_t i = 0; i < board_rows.size(); ++i) {
    const card_cells& cells = board_rows[i];
    SCOPED_TRACE(cells.name);
    EXPECT_EQ(metres_of(cells.km), boards[i].at_m);
    const int limit = speed_of(cells.limit);
    const int running = speed_of(cells.running);
    EXPECT_EQ(limit, boards[i].speed_c);
    if (i + 1 == board_rows.size()) {
      EXPECT_EQ(running, limit);
    } else {
      EXPECT_GE(limit - running, 5);
      EXPECT_LE(limit - running, 15);
    }
  }
}

TEST(train_card, stations_run_in_time_order_from_departure_to_arrival) {
  std::vector<card_times> stations;
  std::int32_t previous_m = -1;
  for (const std::string& row : card_body()) {
    const auto cells = split_card_row(row);
    ASSERT_TRUE(cells.has_value()) << row;
    const std::int32_t at_m = metres_of(cells->km);
    EXPECT_GT(at_m, previous_m) << row;  // the table runs in line order
    previous_m = at_m;
    const auto times = times_of(cells->times);
    ASSERT_TRUE(times.has_value()) << row;
    if (times->form != "blank") stations.push_back(*times);
  }
  ASSERT_EQ(stations.size(), station_count);
  EXPECT_EQ(stations.front().form, "departure");
  EXPECT_EQ(stations.back().form, "arrival");
  int previous_minute = 0;
  for (std::size_t i = 0; i < stations.size(); ++i) {
    SCOPED_TRACE("station " + std::to_string(i + 1));
    if (i > 0 && i + 1 < stations.size()) {
      EXPECT_NE(stations[i].form, "departure");
      EXPECT_NE(stations[i].form, "arrival");
    }
    for (int minute : stations[i].minutes) {
      EXPECT_GE(minute, previous_minute);
      previous_minute = minute;
    }
  }
}

// ---------------------------------------------------------------------------
// Station names, shared by the train source and the card

// The card's spelling of a source name: the parts of a combined name run
// together with "-", and a mixed-case qualifier is cut to its initials
// ("GELSIO Porta Nord" reads "GELSIO P.N.").
std::string card_spelling(std::string_view source) {
  std::string out;
  bool joined = false;
  bool in_initials = false;
  std::size_t at = 0;
  while (at < source.size()) {
    std::size_t end = source.find(' ', at);
    if (end == std::string_view::npos) end = source.size();
    const std::string_view word = source.substr(at, end - at);
    at = end + 1;
    if (word == "-") {
      joined = true;
      continue;
    }
    const bool capitals = std::none_of(word.begin(), word.end(), [](char c) {
      return std::islower(static_cast<unsigned char>(c)) != 0;
    });
    if (capitals) {
      if (!out.empty()) out += joined ? "-" : " ";
      out += word;
      in_initials = false;
    } else {
      if (!in_initials && !out.empty()) out += ' ';
      out += word.substr(0, 1);
      out += '.';
      in_initials = true;
    }
    joined = false;
  }
  return out;
}

TEST(station_names, card_names_follow_the_source_names) {
  const std::array<station_name, station_count> names = station_names();
  EXPECT_EQ(names[0].source, "CENDRA");
  EXPECT_EQ(names[1].source, "P.C.VADDRO");
  EXPECT_EQ(names[22].source.rfind("GELSIO ", 0), 0u);
  EXPECT_EQ(names[22].card, "GELSIO P.N.");
  int combined = 0;
  for (const station_name& name : names) {
    SCOPED_TRACE(std::string(name.source));
    EXPECT_EQ(name.card, card_spelling(name.source));
    EXPECT_LE(name.card.size(), 28u);  // the card's name cell
    EXPECT_FALSE(name.source.empty());
    if (name.source.find(" - ") != std::string_view::npos) ++combined;
  }
  EXPECT_GT(combined, 0);  // some places carry a combined name
  // Intermediate stations are written in capitals, with no blank on the card.
  for (std::size_t i = 2; i + 1 < names.size(); ++i) {
    SCOPED_TRACE(std::string(names[i].source));
    EXPECT_EQ(names[i].card.find(' '), std::string_view::npos);
    EXPECT_EQ(card_spelling(names[i].source).find('.'), std::string::npos);
  }
}

TEST(train_card, stations_match_the_train_source_rows) {
  // Position and name of each station row of the train source.
  std::vector<std::pair<std::int32_t, std::string>> source;
  const std::vector<std::string> lines = written_lines(train_source_document());
  auto it = std::find(lines.begin(), lines.end(), "[stazioni]");
  ASSERT_NE(it, lines.end());
  for (++it; it != lines.end() && it->rfind("stazione,", 0) == 0; ++it) {
    const std::size_t name_at = it->find(", ", 9);
    const std::size_t last_comma = it->rfind(", ");
    ASSERT_NE(name_at, std::string::npos);
    source.emplace_back(std::stoi(it->substr(9, 8)),
                        it->substr(last_comma + 2));
  }
  ASSERT_EQ(source.size(), station_count);

  std::vector<std::pair<std::int32_t, std::string>> card;
  for (const std::string& row : card_body()) {
    const auto cells = split_card_row(row);
    ASSERT_TRUE(cells.has_value()) << row;
    if (!all_blank(cells->times)) {
      card.emplace_back(metres_of(cells->km), trimmed(cells->name));
    }
  }
  ASSERT_EQ(card.size(), station_count);
  for (std::size_t i = 0; i < station_count; ++i) {
    SCOPED_TRACE(source[i].second);
    // The card counts the start terminal from the line origin.
    EXPECT_EQ(card[i].first, i == 0 ? 0 : source[i].first);
    EXPECT_EQ(card[i].second, card_spelling(source[i].second));
  }
  EXPECT_EQ(source.front().first, 200);
}

// ---------------------------------------------------------------------------
// Slowdown order form and notes

TEST(slowdown_form, has_46_lines_and_3283_bytes) {
  const std::vector<std::string> document = slowdown_form_document();
  ASSERT_EQ(document.size(), 47u);
  EXPECT_EQ(written_lines(document).size(), 46u);
  EXPECT_EQ(file_size_bytes(document), 3283u);
}

TEST(slowdown_form, lines_are_exact) {
  const std::string rule =
      " |___|____________________________|____________|__________|_________|"
      "____________|";
  const std::string blank_row =
      " |   |                            |            |          |         |"
      "            |";
  struct line_case {
    std::size_t number;  // 1-based
    std::size_t length;
    std::string text;
  };
  std::vector<line_case> cases = {
      {1, 0, ""},
      {2, 42, "                               Modulo M. 3"},
      {3, 50, "                           ORDINE DI RALLENTAMENTO"},
      {4, 81, " " + std::string(80, '_')},
      {5, 23, "  Linea  xxxxxx xxxxxxx"},
      {6, 0, ""},
      {7, 81,
       "  Si ordina al macchinista del treno xxxxx di effettuare i seguenti "
       "rallentamenti"},
      {8, 81, "  " + std::string(79, '_')},
      {9, 82,
       " |   |                            |Inizio dopo |          |         |"
       "            |"},
      {10, 82,
       " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|"
       "Prescrizioni|"},
      {11, 82,
       " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri |"
       " specifiche |"},
      {12, 82, rule},
      {39, 82, rule},
      {40, 0, ""},
      {41, 37, "              Prescrizioni specifiche"},
      {42, 63,
       " A - Da rispettare con tutto il treno (per i treni viaggiatori)"},
      {43, 42, " B - Interessa anche la stazione di......."},
      // the printed form's own spelling, and D before C
      {44, 49, " D - Rallentamneto N. ... e N. ...  sono contigui"},
      {45, 58, " C - Da rispettare dalle ore ....  alle ore ..... di tutti"},
      {46, 42, "     i giorni esclusi i seguenti:........."},
  };
  // 26 blank rows to fill in by hand, between the two rules.
  for (std::size_t number = 13; number <= 38; ++number) {
    cases.push_back({number, 82, blank_row});
  }
  const std::vector<std::string> lines =
      written_lines(slowdown_form_document());
  ASSERT_EQ(lines.size(), 46u);
  ASSERT_EQ(cases.size(), 46u);
  for (const line_case& c : cases) {
    SCOPED_TRACE("line " + std::to_string(c.number));
    EXPECT_EQ(lines[c.number - 1], c.text);
    EXPECT_EQ(lines[c.number - 1].size(), c.length);
  }
}

TEST(slowdown_form, table_lines_share_one_ruling) {
  // Cells of 3, 28, 12, 10, 9 and 12 characters after " |".
  const std::vector<std::size_t> bars = {1, 5, 34, 47, 58, 68, 81};
  const std::vector<std::string> lines =
      written_lines(slowdown_form_document());
  ASSERT_EQ(lines.size(), 46u);
  for (std::size_t number = 9; number <= 39; ++number) {
    const std::string& line = lines[number - 1];
    SCOPED_TRACE("line " + std::to_string(number));
    ASSERT_EQ(line.size(), 82u);
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '|') found.push_back(i);
    }
    EXPECT_EQ(found, bars);
  }
}

TEST(notes, document_is_only_the_end_marker) {
  const std::vector<std::string> document = notes_document();
  EXPECT_EQ(document, std::vector<std::string>{std::string(end_marker)});
  EXPECT_EQ(file_size_bytes(document), 0u);
}

}  // namespace
