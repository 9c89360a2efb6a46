// Every code the compiler can record in the error slot, named once, with the
// sentence that explains it and what its position means. The readers, the
// marker placement, the messages of the program and of the authors' tool, the
// fuzz harness and the README's table all come from this list.
//
// Codes 1 to 25 and 101 to 103 are the compiler's classic codes; 104 and up
// are this build's own refusals of rows that would reach outside a table.
// Codes 14 and 23 are not used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

inline constexpr std::int32_t code_line_too_long = 1;
inline constexpr std::int32_t code_reference_not_whole_cells = 2;
inline constexpr std::int32_t code_repetition_start = 3;
inline constexpr std::int32_t code_repetition_end = 4;
inline constexpr std::int32_t code_repetition_count = 5;
inline constexpr std::int32_t code_text_board_cell_taken = 6;
inline constexpr std::int32_t code_code_marker_cell_taken = 7;
inline constexpr std::int32_t code_station_position = 8;
inline constexpr std::int32_t code_station_length = 9;
inline constexpr std::int32_t code_too_many_stations = 10;
inline constexpr std::int32_t code_no_free_cell_before_signal = 11;
inline constexpr std::int32_t code_no_free_cell_in_start_group = 12;
inline constexpr std::int32_t code_no_free_cell_in_slowdown = 13;
inline constexpr std::int32_t code_beyond_grid = 15;
inline constexpr std::int32_t code_signal_cell_taken = 16;
inline constexpr std::int32_t code_warning_board_cell_taken = 17;
inline constexpr std::int32_t code_slowdown_start_cell_taken = 18;
inline constexpr std::int32_t code_slowdown_end_cell_taken = 19;
inline constexpr std::int32_t code_pre_warning_cell_taken = 20;
inline constexpr std::int32_t code_speed_board_cell_taken = 21;
inline constexpr std::int32_t code_stations_too_close = 22;
inline constexpr std::int32_t code_station_marker_too_early = 24;
inline constexpr std::int32_t code_reading_failure = 25;
inline constexpr std::int32_t code_no_line_source = 101;
inline constexpr std::int32_t code_no_general_section = 102;
inline constexpr std::int32_t code_no_curve_class = 103;
inline constexpr std::int32_t code_board_slots_used_up = 104;
inline constexpr std::int32_t code_too_many_mountains = 105;
inline constexpr std::int32_t code_mountain_outside_grid = 106;
inline constexpr std::int32_t code_gradient_beyond_grid = 107;
inline constexpr std::int32_t code_curve_beyond_plan = 108;
inline constexpr std::int32_t code_signal_before_origin = 110;
inline constexpr std::int32_t code_slowdown_outside_grid = 111;
inline constexpr std::int32_t code_code_marker_outside_grid = 112;
inline constexpr std::int32_t code_station_beyond_grid = 113;
inline constexpr std::int32_t code_slowdown_without_end = 114;

// Which source a code is found in, and so which file it removes and what the
// reading does next (the marker codes come after both sources are read).
enum class code_origin : std::uint8_t {
  line_source,
  train_source,
  either,
  markers
};

struct error_code_info {
  std::int32_t code;
  code_origin origin;
  // What the position in the error slot holds for this code; empty for a code
  // that sets none (the slot keeps the position it had).
  std::string_view position;
  std::string_view meaning;
  bool own;  // one of this build's own codes, 104 and up
  // A fault of a whole source file, not of one of its rows (a missing source,
  // one without its general section).
  bool whole_file = false;
  // A code that one cause repeats row after row: a table that is full (too
  // many stations, boards with text or mountains) or a grid that ends too
  // soon (rows beyond it, gradients filling past it, after a shortened line).
  // Shown once, at its first row.
  bool repeats_one_cause = false;
};

inline constexpr error_code_info error_catalogue[] = {
    {code_line_too_long, code_origin::line_source, "",
     "the line length exceeds 1,000,000 m", false},
    {code_reference_not_whole_cells, code_origin::train_source, "",
     "a kilometre reference has a start or end that is not a multiple of 50",
     false},
    {code_repetition_start, code_origin::line_source, "",
     "the signal-repetition start is not a multiple of 50", false},
    {code_repetition_end, code_origin::line_source, "",
     "the signal-repetition end is not a multiple of 50", false},
    {code_repetition_count, code_origin::line_source, "",
     "the signal-repetition row names neither 4 nor 9 codes", false},
    {code_text_board_cell_taken, code_origin::line_source, "board",
     "an indicator board with text falls on a cell that is not free", false},
    {code_code_marker_cell_taken, code_origin::train_source, "row",
     "the cell of a code-marker row is not free", false},
    {code_station_position, code_origin::train_source, "station",
     "a station position is not a multiple of 50", false},
    {code_station_length, code_origin::train_source, "station",
     "a station length is not a multiple of 100", false},
    {code_too_many_stations, code_origin::train_source, "",
     "too many stations: the next station slot reaches the texts of the "
     "indicator boards",
     false, false, true},
    {code_no_free_cell_before_signal, code_origin::markers, "signal cell × 50",
     "no free cell for a signal-code marker before a signal ahead of a "
     "slowdown warning board",
     false},
    {code_no_free_cell_in_start_group, code_origin::markers, "start cell × 50",
     "no free cell for a signal-code marker in a group before a slowdown "
     "start",
     false},
    {code_no_free_cell_in_slowdown, code_origin::markers, "cell × 50",
     "no free cell for a signal-code marker inside or after a slowdown", false},
    {code_beyond_grid, code_origin::either, "row",
     "a row's position lies beyond the end of the track grid", false, false,
     true},
    {code_signal_cell_taken, code_origin::train_source, "signal",
     "a signal falls on a cell that is not free", false},
    {code_warning_board_cell_taken, code_origin::train_source, "slowdown start",
     "the warning board of a slowdown falls on a cell that is not free", false},
    {code_slowdown_start_cell_taken, code_origin::train_source,
     "slowdown start",
     "the start of a slowdown falls on a cell that is not free", false},
    {code_slowdown_end_cell_taken, code_origin::train_source, "slowdown start",
     "the end of a slowdown falls on a cell that is not free", false},
    {code_pre_warning_cell_taken, code_origin::train_source, "slowdown start",
     "one of the four pre-warning cells of a slowdown is not free", false},
    {code_speed_board_cell_taken, code_origin::line_source, "board",
     "a speed indicator board falls on a cell that is not free", false},
    {code_stations_too_close, code_origin::train_source, "station",
     "a station begins less than 350 m after the end of the station before it",
     false},
    {code_station_marker_too_early, code_origin::train_source, "",
     "a station's marker would lie in cell 1 or below", false},
    {code_reading_failure, code_origin::either, "",
     "a source could not be read (a field missing or not of its type, a value "
     "out of range, or a file fault)",
     false},
    {code_no_line_source, code_origin::line_source, "",
     "the line source does not exist", false, true},
    {code_no_general_section, code_origin::line_source, "",
     "the line source holds no [generale] section", false, true},
    {code_no_curve_class, code_origin::line_source, "",
     "a curve row names no curve class from 1 to 6, or the plan passes metre "
     "1,000,000",
     false},
    {code_board_slots_used_up, code_origin::line_source, "board",
     "too many indicator boards with text: no line table slot is left for "
     "this board's text",
     true, false, true},
    {code_too_many_mountains, code_origin::line_source, "mountain start",
     "more than 80 mountain rows", true, false, true},
    {code_mountain_outside_grid, code_origin::line_source, "mountain start",
     "a mountain stretch reaches outside the track grid", true},
    {code_gradient_beyond_grid, code_origin::line_source, "gradient row",
     "gradient rows fill beyond the end of the track grid", true, false, true},
    {code_curve_beyond_plan, code_origin::line_source, "curve start",
     "a curve runs beyond the end of the track plan", true},
    {code_signal_before_origin, code_origin::train_source, "signal",
     "a signal lies before the line origin, outside the track grid", true},
    {code_slowdown_outside_grid, code_origin::train_source, "slowdown start",
     "a cell of a slowdown lies outside the track grid", true},
    {code_code_marker_outside_grid, code_origin::train_source, "row",
     "the cell of a code-marker row lies outside the track grid", true},
    {code_station_beyond_grid, code_origin::train_source, "station",
     "a station's cells lie beyond the end of the track grid", true},
    {code_slowdown_without_end, code_origin::markers, "start cell × 50",
     "a slowdown has no end cell of its own before the end of the track grid",
     true},
};

// The entry of a code; null for a code the compiler never records.
inline const error_code_info* find_error_code(std::int32_t code) {
  for (const error_code_info& entry : error_catalogue)
    if (entry.code == code) return &entry;
  return nullptr;
}

// Whether a code is a fault of a whole source, and whether one cause repeats
// it row after row (error_code_info); false for a code never recorded.
inline bool is_whole_file_code(std::int32_t code) {
  const error_code_info* info = find_error_code(code);
  return info != nullptr && info->whole_file;
}
inline bool repeats_one_cause(std::int32_t code) {
  const error_code_info* info = find_error_code(code);
  return info != nullptr && info->repeats_one_cause;
}

// The header checks: after the reading, the compile puts its header values
// and the race code into places of the model that no row may take. When one
// is taken the run stops with the check's number (" Errore n. 1250").
struct header_check_info {
  std::string_view number;
  std::string_view meaning;
};
inline constexpr header_check_info header_check_values = {
    "1250",
    "no place for the header values: cell 1 of the track (the first 25 m of "
    "the line) holds a feature with a first value, or the track has no cell "
    "1"};
inline constexpr header_check_info header_check_race_code = {
    "1251",
    "no place for the race code: cell 1 of the track (the first 25 m of the "
    "line) holds a feature with a second value"};

// The meaning of a header check by its number.
inline std::string_view header_check_meaning(std::string_view number) {
  for (const header_check_info& check :
       {header_check_values, header_check_race_code})
    if (check.number == number) return check.meaning;
  return "a header place of the model is taken";
}
