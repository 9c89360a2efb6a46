#include "reader/grammar.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "model/error_codes.h"
#include "reader/field_reader.h"

namespace {

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The fewest edits (letter case ignored) that turn `word` into some stretch
// of `text`: a keyword with one letter wrong, missing or doubled is 1 away.
std::size_t distance_within(std::string_view text, std::string_view word) {
  std::vector<std::size_t> column(word.size() + 1);
  for (std::size_t i = 0; i <= word.size(); ++i) column[i] = i;
  std::size_t best = column[word.size()];
  for (char c : text.substr(0, 200)) {
    std::size_t diagonal = column[0];
    column[0] = 0;  // a stretch may start anywhere
    for (std::size_t i = 1; i <= word.size(); ++i) {
      const std::size_t above = column[i];
      const std::size_t cost = lower(word[i - 1]) == lower(c) ? 0 : 1;
      column[i] = std::min({above + 1, column[i - 1] + 1, diagonal + cost});
      diagonal = above;
    }
    best = std::min(best, column[word.size()]);
  }
  return best;
}

constexpr field_type i32 = field_type::i32;
constexpr field_type i16 = field_type::i16;
constexpr field_type u8 = field_type::u8;
constexpr field_type text = field_type::text;

// Where a row's position is checked against the grid: the grid, whose last
// cell N covers up to L + 7000 m, must reach (position + margin) / 50.
constexpr std::string_view inside_grid =
    "32-bit; position + 100 m within the grid";

// ---------------------------------------------------------------------------
// The line source's general section.

constexpr field_rule line_length_fields[] = {
    {"length", i32, "m", "at most 1,000,000 (code 1)", "slot 84 to_m",
     "length of the line; the track grid and the plan reach 7,000 m beyond it",
     "3000"},
};

// The three numbers of a kilometre reference land in from_m, to_m and at_m of
// their slot; the three references are then put in order.
constexpr field_rule reference_fields[] = {
    {"start", i32, "m", "32-bit; a multiple of 50 (code 2)",
     "slot 81-83 from_m", "where the reference begins", "0"},
    {"end", i32, "m", "32-bit; a multiple of 50 (code 2)", "slot 81-83 to_m",
     "where the reference ends", "0"},
    {"mark", i32, "", "32-bit; 1 moves the end on by 100 m", "slot 81-83 at_m",
     "a mark; 1 moves the end on by 100 m once the references are ordered",
     "0"},
};

constexpr field_rule background_one_fields[] = {
    {"value", i32, "", "32-bit", "slot 85 from_m",
     "first background value, stored as read", "80000"},
};
constexpr field_rule background_two_fields[] = {
    {"value", i32, "", "32-bit", "slot 85 at_m",
     "second background value, stored as read", "59350"},
};
constexpr field_rule background_three_fields[] = {
    {"value", i32, "", "32-bit", "slot 85 to_m",
     "third background value, stored as read", "1"},
};

constexpr field_rule signal_repetition_fields[] = {
    {"start", i32, "m", "32-bit; a multiple of 50 (code 3)", "slot 86 from_m",
     "where signals start to be repeated in the cab", "25000"},
    {"end", i32, "m", "32-bit; a multiple of 50 (code 4)", "slot 86 to_m",
     "where the repetition ends; 0 turns it off", "108000"},
};

// ---------------------------------------------------------------------------
// The line source's rows after the general section.

constexpr field_rule gradient_fields[] = {
    {"position", i32, "m", inside_grid, "gradient of the cells from here on",
     "where the gradient begins; it holds up to the next gradient row", "0"},
    {"gradient", i32, "per mille",
     "32-bit; stored + 100 in one byte, so -100 to 155 keep their value",
     "cell gradient", "the climb (positive) or fall (negative)", "5"},
};

constexpr field_rule curve_fields[] = {
    {"start", i32, "m", inside_grid, "plan metres after start",
     "where the curve begins; the plan runs straight up to it", "1000"},
    {"length", i32, "m", "32-bit; the plan ends at 1,000,000 m (code 103)",
     "plan metres start + 1 to start + length",
     "how far the curve turns at the curvature of its class", "200"},
};

constexpr field_rule mountain_fields[] = {
    {"start", i32, "m", inside_grid, "cell mountain from start / 50",
     "where the stretch begins", "2000"},
    {"end", i32, "m", "32-bit; the stretch must lie on the grid (code 106)",
     "cell mountain up to end / 50 - 1", "where the stretch ends", "2500"},
    {"type", i32, "",
     "32-bit; above 10 a tunnel of type - 10; kept as one byte",
     "cell mountain; a tunnel marker every 200 m",
     "the mountain type; 11 and up mark a tunnel", "1"},
};

constexpr field_rule speed_board_fields[] = {
    {"position", i32, "m", inside_grid, "cell at position / 50 + 1",
     "where the board stands; its cell must be free (code 21)", "1700"},
    {"first speed a", i32, "km/h",
     "32-bit; x 20 plus the second speed / 5 in 16 bits", "cell value1",
     "first speed of panel a", "70"},
    {"first speed b", i32, "km/h", "as first speed a", "cell value2",
     "first speed of panel b", "75"},
    {"first speed c", i32, "km/h", "as first speed a", "cell value3",
     "first speed of panel c", "75"},
    {"first stripes", i32, "",
     "32-bit; x 10 plus the second stripes in 16 bits", "cell value4",
     "stripe count of the first speeds", "0"},
    {"second speed a", i32, "km/h", "32-bit; in units of 5 km/h", "cell value1",
     "second speed of panel a; empty for none", "0"},
    {"second speed b", i32, "km/h", "as second speed a", "cell value2",
     "second speed of panel b; empty for none", "0"},
    {"second speed c", i32, "km/h", "as second speed a", "cell value3",
     "second speed of panel c; empty for none", "0"},
    {"second stripes", i32, "", "32-bit", "cell value4",
     "stripe count of the second speeds", "0"},
};

constexpr field_rule text_board_fields[] = {
    {"position", i32, "m", inside_grid, "cell at position / 50 + 1",
     "where the board stands; its cell must be free (code 6)", "6150"},
    {"text", text, "", "one byte per character; to the next comma or line end",
     "line table slot 80, 79, ... label", "the board's panels",
     "(GALLERIA  )(DEL VADDRO)(m.13300   )"},
};

// ---------------------------------------------------------------------------
// The train source.

constexpr field_rule braked_mass_fields[] = {
    {"percentage", i32, "%", "32-bit", "slot 84 from_m",
     "braked mass of the train, stored as read", "100"},
};
constexpr field_rule carriages_fields[] = {
    {"count", i32, "", "32-bit", "slot 84 at_m",
     "number of carriages, stored as read", "7"},
};

constexpr field_rule speed_limit_fields[] = {
    {"position", i32, "m", inside_grid,
     "cell speed_limit from the row before up to here",
     "where the speed limit begins; it holds up to the next row", "0"},
    {"speed", i32, "km/h", "32-bit; in units of 5 km/h, 0 to 1275",
     "cell speed_limit", "the line speed limit", "30"},
};

constexpr field_rule adhesion_fields[] = {
    {"position", i32, "m", inside_grid,
     "cell adhesion from the row before up to here",
     "where the adhesion begins; it holds up to the next row", "0"},
    {"adhesion", i32, "", "32-bit; kept as one byte (modulo 256)",
     "cell adhesion", "the adhesion value", "100"},
};

constexpr field_rule clock_fields[] = {
    {"hours", i16, "h", "16-bit", "slot 86 num_c", "start time, hours", "18"},
    {"minutes", i16, "min", "16-bit", "slot 86 num_d", "start time, minutes",
     "43"},
    {"seconds", i16, "s", "16-bit", "slot 86 num_e", "start time, seconds",
     "30"},
};

constexpr field_rule sand_fields[] = {
    {"sand", i16, "", "16-bit", "slot 86 num_a",
     "sand on board, stored as read", "0"},
};

constexpr field_rule signal_fields[] = {
    {"position", i32, "m", inside_grid, "cell at position / 50 + 1",
     "where the signal stands; its cell must be free (code 16)", "2000"},
    {"sx", i32, "", "32-bit; 2 runs the timer",
     "cell value4 (3 x sx), approach", "type code of the s group", "2"},
    {"s1", i32, "", "32-bit", "cell value1 (10 x s1)", "s group, value 1", "4"},
    {"s2", i32, "", "32-bit", "cell value2 (10 x s2)", "s group, value 2", "0"},
    {"s3", i32, "", "32-bit", "cell value3 (10 x s3)", "s group, value 3", "0"},
    {"rapp", i32, "", "32-bit", "cell value4 (10 x rapp)",
     "weighted by 10 in the fourth packed value", "0"},
    {"dx", i32, "", "32-bit", "cell value4 (+ dx), approach",
     "type code of the d group", "0"},
    {"d1", i32, "", "32-bit", "cell value1 (+ d1)", "d group, value 1", "0"},
    {"d2", i32, "", "32-bit", "cell value2 (+ d2)", "d group, value 2", "0"},
    {"d3", i32, "", "32-bit", "cell value3 (+ d3)", "d group, value 3", "0"},
    {"time", i32, "", "32-bit; 1 to 100 are raised to 101; kept as one byte",
     "cell timer, only when sx is 2", "the timer's time", "0"},
};

constexpr field_rule slowdown_fields[] = {
    {"start", i32, "m", inside_grid, "start cell at start / 50 + 1",
     "where the restriction begins", "5000"},
    {"speed", i32, "km/h", "32-bit; kept in 16 bits",
     "value1 of the start, end and warning-board cells",
     "the restricted speed; 110 and up lay no markers inside", "60"},
    {"length", i32, "m", "32-bit; the end cell must be free (code 19)",
     "end cell at (start + length) / 50 + 1", "length of the restriction",
     "500"},
    {"flag", i32, "", "32-bit; kept in 16 bits",
     "value3 of the start and end cells", "a flag stored as read", "0"},
    {"pre-warning", i32, "", "32-bit; not 0 lays four pre-warning cells",
     "four cells before the warning board",
     "whether to lay the pre-warning cells (only after 1500 m)", "0"},
    {"second value", i32, "", "32-bit; kept in 16 bits",
     "value2 of the cells, when not 0", "a value stored when not 0", "0"},
};

constexpr field_rule code_marker_fields[] = {
    {"position", i32, "m", inside_grid, "cell at position / 50",
     "where the marker goes: the cell before a signal at the same position",
     "3000"},
    {"code", i32, "", "32-bit; 1 and up a code, 0 or less none",
     "cell value1 (kind 12), or kind 13 without a code",
     "the signal code the marker sets", "2"},
};

constexpr field_rule station_fields[] = {
    {"position", i32, "m",
     "32-bit; a multiple of 50 (code 8); position + 800 m within the grid",
     "slot at_m", "where the station stands", "200"},
    {"kind", u8, "", "0 to 255; 25 and up: no cells on the track", "slot kind",
     "the station kind (5, 6 terminals; 7, 8 full length)", "2"},
    {"length", i32, "m", "32-bit; a multiple of 100 (code 9)",
     "slot from_m and to_m", "length of the platform", "800"},
    {"flag a", u8, "", "0 to 255", "slot opt_a", "a flag stored as read", "1"},
    {"flag e", u8, "",
     "0 to 255; cleared below 600 m and for the first station", "slot opt_e",
     "a flag stored as read", "1"},
    {"flag d", u8, "", "0 to 255; not 0 adds 50 m to the platform end",
     "slot opt_d", "lengthens a general kind's platform by 50 m", "0"},
    {"number a", i16, "", "16-bit", "slot num_a", "a number stored as read",
     "4"},
    {"number b", i16, "", "16-bit", "slot num_b", "a number stored as read",
     "1"},
    {"flag b", u8, "", "0 to 255", "slot opt_b", "a flag stored as read", "0"},
    {"number c", i16, "", "16-bit", "slot num_c", "a number stored as read",
     "2"},
    {"number d", i16, "", "16-bit", "slot num_d", "a number stored as read",
     "1"},
    {"number e", i16, "", "16-bit", "slot num_e", "a number stored as read",
     "1"},
    {"value c", u8, "", "0 to 255", "slot opt_c", "a value stored as read",
     "1"},
    {"hours", i32, "h", "32-bit", "slot time_s", "scheduled time, hours", "18"},
    {"minutes", i32, "min", "32-bit", "slot time_s", "scheduled time, minutes",
     "44"},
    {"seconds", i32, "s", "32-bit", "slot time_s", "scheduled time, seconds",
     "0"},
    {"name", text, "", "one byte per character; to the next comma or line end",
     "slot label", "the station's name", "CENDRA"},
};

constexpr source_file line = source_file::line;
constexpr source_file train = source_file::train;

// In row_id order, which is the order the readers test the keywords in.
constexpr row_rule rows[] = {
    {row_id::line_length, line, "line length", "lunghezza percorso",
     "lunghezza percorso", "lunghezza", "percorso", false, general_section,
     true, line_length_fields, "the length of the line, which sizes the grid"},
    {row_id::reference_three, line, "kilometre reference 'tre'",
     "progressiva chilometrica tre", "progressiva chilometrica tre", "tre",
     "progressiva", true, general_section, true, reference_fields,
     "the third kilometre reference"},
    {row_id::reference_two, line, "kilometre reference 'due'",
     "progressiva chilometrica due", "progressiva chilometrica due", "due",
     "progressiva", true, general_section, true, reference_fields,
     "the second kilometre reference"},
    {row_id::reference_one, line, "kilometre reference 'uno'",
     "progressiva chilometrica uno", "progressiva chilometrica uno", "uno",
     "progressiva", true, general_section, true, reference_fields,
     "the first kilometre reference"},
    {row_id::background_one, line, "background 'uno'", "sfondo uno",
     "sfondo uno", "sfondo", "uno", true, general_section, true,
     background_one_fields, "the first background value"},
    {row_id::background_two, line, "background 'due'", "sfondo due",
     "sfondo due", "sfondo", "due", true, general_section, true,
     background_two_fields, "the second background value"},
    {row_id::background_three, line, "background 'tre'", "sfondo tre",
     "sfondo tre", "sfondo", "tre", true, general_section, true,
     background_three_fields, "the third background value"},
    {row_id::signal_repetition, line, "signal repetition",
     "ripetizione segnali", "ripetizione segnali 4 codici", "segnali",
     "ripetizione", true, general_section, true, signal_repetition_fields,
     "where signals are repeated in the cab; the keyword field names 4 or 9 "
     "codes (code 5)"},
    {row_id::gradient, line, "gradient", "pendenza", "pendenza", "pendenza", "",
     false, "[pendenze]", false, gradient_fields,
     "a gradient from a position on"},
    {row_id::curve, line, "curve", "curva", "curvad3", "curva", "", false,
     "[curve]", false, curve_fields,
     "a curve of the plan; the keyword field names its class, a digit 1 to 6 "
     "(code 103), and an 's' turns it the other way"},
    {row_id::mountain, line, "mountain", "montagna", "montagna", "montagna", "",
     false, "[montagne]", false, mountain_fields,
     "a mountain or tunnel stretch; at most 80 (code 105)"},
    {row_id::speed_board, line, "speed indicator board", "indicatori_vmax",
     "indicatori_vmax", "indicatori_v", "", false, "[cartelli]", false,
     speed_board_fields, "a board with speeds for three panels"},
    {row_id::text_board, line, "indicator board", "cartello_indicatore",
     "cartello_indicatore", "cartello", "indicat", false, "[indicazioni]",
     false, text_board_fields, "a board with text"},
    {row_id::braked_mass, train, "braked mass", "percentuale massa frenata",
     "percentuale massa frenata", "frenata", "massa", false, general_section,
     true, braked_mass_fields, "the braked mass of the train"},
    {row_id::carriages, train, "carriages", "numero vetture", "numero vetture",
     "vetture", "", false, general_section, true, carriages_fields,
     "the number of carriages"},
    {row_id::speed_limit, train, "speed limit", "velocita", "velocita",
     "velocit", "", false, "[vel_limite]", false, speed_limit_fields,
     "a line speed limit from a position on"},
    {row_id::adhesion, train, "adhesion", "aderenza", "aderenza", "aderenza",
     "", false, "[aderenze]", false, adhesion_fields,
     "an adhesion value from a position on"},
    {row_id::clock, train, "clock", "orologio", "orologio", "orologio", "",
     false, general_section, true, clock_fields, "the time the service starts"},
    {row_id::sand, train, "sand", "sabbia", "sabbia", "sabbia", "", false,
     general_section, true, sand_fields, "the sand on board"},
    {row_id::signal, train, "signal", "segnale", "segnale", "segnale", "",
     false, "[segnali]", false, signal_fields,
     "a signal with four approach marks before it"},
    {row_id::slowdown, train, "slowdown", "rallentamento", "rallentamento",
     "rallentamento", "", false, "[rallentamenti]", false, slowdown_fields,
     "a speed restriction with its warning board"},
    {row_id::code_marker, train, "code marker", "abbattimento", "abbattimento",
     "abbattimento", "", false, "[codici]", false, code_marker_fields,
     "a signal-code marker in one cell"},
    {row_id::station, train, "station", "stazione", "stazione", "stazione", "",
     false, "[stazioni]", false, station_fields,
     "a station with its timetable entry and, for kinds below 25, its marker "
     "cells"},
};
static_assert(std::size(rows) == row_count);

constexpr const char* line_sections[] = {
    general_section, "[curve]",       "[pendenze]", "[montagne]",
    "[cartelli]",    "[indicazioni]", end_section};
constexpr const char* train_sections[] = {
    general_section,   "[aderenze]", "[vel_limite]", "[stazioni]",
    "[rallentamenti]", "[segnali]",  "[codici]",     end_section};

// The codes of each row, as its handler records them (line_reader.cpp,
// line_rows.cpp, train_reader.cpp and the *_rows.cpp of the train source).
constexpr std::int32_t fault = code_reading_failure;
constexpr std::int32_t line_length_codes[] = {fault, code_line_too_long};
constexpr std::int32_t reference_codes[] = {fault,
                                            code_reference_not_whole_cells};
constexpr std::int32_t read_only_codes[] = {fault};
constexpr std::int32_t repetition_codes[] = {
    fault, code_repetition_start, code_repetition_end, code_repetition_count};
constexpr std::int32_t gradient_codes[] = {fault, code_beyond_grid,
                                           code_gradient_beyond_grid};
constexpr std::int32_t curve_codes[] = {
    fault, code_beyond_grid, code_no_curve_class, code_curve_beyond_plan};
constexpr std::int32_t mountain_codes[] = {fault, code_beyond_grid,
                                           code_too_many_mountains,
                                           code_mountain_outside_grid};
constexpr std::int32_t speed_board_codes[] = {fault, code_beyond_grid,
                                              code_speed_board_cell_taken};
constexpr std::int32_t text_board_codes[] = {fault, code_beyond_grid,
                                             code_text_board_cell_taken,
                                             code_board_slots_used_up};
constexpr std::int32_t fill_codes[] = {fault, code_beyond_grid};
constexpr std::int32_t signal_codes[] = {
    fault, code_beyond_grid, code_signal_cell_taken, code_signal_before_origin};
constexpr std::int32_t slowdown_codes[] = {fault,
                                           code_beyond_grid,
                                           code_warning_board_cell_taken,
                                           code_slowdown_start_cell_taken,
                                           code_slowdown_end_cell_taken,
                                           code_slowdown_outside_grid,
                                           code_pre_warning_cell_taken};
constexpr std::int32_t code_marker_codes[] = {fault, code_beyond_grid,
                                              code_code_marker_outside_grid,
                                              code_code_marker_cell_taken};
constexpr std::int32_t station_codes[] = {fault,
                                          code_too_many_stations,
                                          code_beyond_grid,
                                          code_station_position,
                                          code_station_length,
                                          code_station_beyond_grid,
                                          code_station_marker_too_early,
                                          code_stations_too_close};

constexpr code_list codes_by_row[] = {
    line_length_codes, reference_codes,   reference_codes, reference_codes,
    read_only_codes,   read_only_codes,   read_only_codes, repetition_codes,
    gradient_codes,    curve_codes,       mountain_codes,  speed_board_codes,
    text_board_codes,  read_only_codes,   read_only_codes, fill_codes,
    fill_codes,        read_only_codes,   read_only_codes, signal_codes,
    slowdown_codes,    code_marker_codes, station_codes,
};
static_assert(std::size(codes_by_row) == row_count);

}  // namespace

code_list row_codes(row_id row) {
  return codes_by_row[static_cast<std::size_t>(row)];
}

const row_rule* grammar_rows() { return rows; }

const row_rule& row_info(row_id row) {
  return rows[static_cast<std::size_t>(row)];
}

row_range source_rows(source_file source) {
  // The table holds the line source's rows first, then the train source's.
  const row_rule* split = rows;
  while (split != std::end(rows) && split->source == source_file::line) ++split;
  if (source == source_file::line) return {rows, split};
  return {split, std::end(rows)};
}

section_list grammar_sections(source_file source) {
  if (source == source_file::line)
    return {line_sections, std::size(line_sections)};
  return {train_sections, std::size(train_sections)};
}

bool row_matches(const row_rule& row, std::string_view token, bool any_case) {
  auto has = [&](std::string_view word) {
    return row.exact_case && !any_case ? contains_exact(token, word)
                                       : contains_keyword(token, word);
  };
  return has(row.first) && has(row.second);
}

const row_rule* row_held(std::string_view token, source_file source,
                         bool any_case) {
  for (const row_rule& r : source_rows(source))
    if (row_matches(r, token, any_case)) return &r;
  return nullptr;
}

const row_rule* nearest_row(std::string_view token, source_file source) {
  const row_rule* best = nullptr;
  std::size_t best_score = 0;
  for (const row_rule& r : source_rows(source)) {
    std::size_t score = 0;
    bool close = true;
    for (const char* word : {r.first, r.second}) {
      if (*word == '\0') continue;
      const std::string_view w(word);
      const std::size_t d = distance_within(token, w);
      close = close && d <= (w.size() >= 7 ? 2u : 1u);
      score += d;
    }
    if (close && (best == nullptr || score < best_score)) {
      best = &r;
      best_score = score;
    }
  }
  return best;
}
