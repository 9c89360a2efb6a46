// What the numbers in the track cells and line records stand for, and how the
// readers pack them. Each stored encoding sits here beside its inverse, so
// the readers that fill the model and the tools that show it cannot read one
// value two ways.
//
// The kind and slot numbers themselves are named in model/track_grid.h and
// model/line_table.h, where every reader already finds them; this unit adds
// what they mean and what the values of each kind hold.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/cell_geometry.h"
#include "model/line_table.h"
#include "model/track_grid.h"

// ---------------------------------------------------------------------------
// Cells

// One cell per cell_length_m (model/cell_geometry.h). A point feature in cell
// k stands at (k - 1) x 50 m; a stretch property in cell k covers k x 50 to
// k x 50 + 50 m.

// Header values, stored just before output: slot 85 num_a and cell 1 value1.
inline constexpr std::int16_t header_scenario_mark = 610;
inline constexpr std::int16_t header_track_mark = 5121;

// One of value1..value4 of a cell kind: a short name, fit for a JSON key
// (empty when the kind leaves the field at 0), and what it holds.
struct value_field {
  const char* name;
  const char* meaning;
};

// A cell kind the compiler stores. `packed` kinds hold several numbers per
// value (signal, speed board); unpack_signal and unpack_speed_board take them
// apart. The others hold one number per named value.
struct cell_kind_info {
  std::uint8_t kind;
  const char* name;
  bool packed;
  std::array<value_field, 4> values;
};

// Every kind the compiler stores, in ascending order; no other kind value
// ever reaches a cell.
extern const std::array<cell_kind_info, 12> cell_kinds;

// The entry of `kind` in cell_kinds; nullptr for a kind never stored.
const cell_kind_info* find_cell_kind(std::uint8_t kind);

// The name of a cell kind ("signal", "speed board", ...); "unknown kind" for
// a value the compiler never stores.
const char* cell_kind_name(std::uint8_t kind);

// ---------------------------------------------------------------------------
// Stretch properties

// Speed limits are kept in units of 5 km/h in one byte. Encoding takes the
// nearest unit (ties to even) and fails when it does not fit the byte.
bool encode_speed_units(std::int32_t speed_kmh, std::uint8_t& units);
std::int32_t decode_speed_units(std::uint8_t units);

// Gradients are kept as per mille plus 100 in one byte; a gradient outside
// -100 to 155 wraps around (only the low 8 bits are kept). A cell never given
// a gradient keeps 0, which would read as -100 per mille: tools show it as
// not filled.
inline constexpr std::uint8_t gradient_not_filled = 0;
std::uint8_t encode_gradient(std::int32_t per_mille);

// Adhesion values are kept as their low 8 bits.
std::uint8_t encode_adhesion(std::int32_t adhesion);
std::int32_t decode_gradient(std::uint8_t stored);

// ---------------------------------------------------------------------------
// Signals

// A signal cell packs value1..3 = 10 x s + d and value4 = 10 x rapp + 3 x sx
// + dx; each sum is formed in 64 bits and keeps its low 16 bits. Unpacking
// assumes what the sources give, d from 0 to 9 and dx from 0 to 2, and fails
// when a value is negative and so cannot be unpacked.
struct signal_parts {
  std::int32_t s1 = 0, d1 = 0, s2 = 0, d2 = 0, s3 = 0, d3 = 0;
  std::int32_t rapp = 0, sx = 0, dx = 0;
};
void pack_signal(const signal_parts& parts, track_cell& cell);  // value1..4
bool unpack_signal(const track_cell& cell, signal_parts& parts);

// The approach codes laid below a signal (mark b = 1..4: 30 x sx + 10 x dx +
// b) and below a station marker (mark k = 1..4: 80 + k), low 8 bits. The two
// ranges overlap (sx 2, dx 2 gives 81 to 84), so a code alone cannot be taken
// back apart; tools show it as stored.
std::uint8_t signal_approach_code(std::int32_t sx, std::int32_t dx, int mark);
std::uint8_t station_approach_code(int mark);

// Only an s group of type 2 runs a timer. Times from 1 to 100 are raised to
// 101 before they are stored; 0, larger and negative times are kept, as their
// low 8 bits.
std::int32_t raised_timer(std::int32_t tempo);
std::uint8_t encode_signal_timer(std::int32_t sx, std::int32_t tempo);

// ---------------------------------------------------------------------------
// Speed boards

// A speed board packs each of value1..3 as the nearest integer (ties to even)
// to the second speed / 5 plus the first speed x 20, and value4 as the low 16
// bits of 10 x first stripes + second stripes. Packing fails, leaving the
// cell as it was, when a speed does not fit 16 bits. Unpacking gives the
// second speeds to the nearest 5 km/h and assumes them below 100 km/h; it
// fails for negative values.
struct speed_board_parts {
  std::array<std::int32_t, 3> first_kmh{};
  std::array<std::int32_t, 3> second_kmh{};
  std::int32_t first_stripes = 0;
  std::int32_t second_stripes = 0;
};
bool pack_speed_board(const speed_board_parts& parts, track_cell& cell);
bool unpack_speed_board(const track_cell& cell, speed_board_parts& parts);

// A slowdown that starts at this position or before gets neither a warning
// board nor pre-warning cells.
inline constexpr std::int32_t no_warning_board_up_to_m = 1500;

// ---------------------------------------------------------------------------
// Line table

// The slots stations share with board texts: stations from 1 up, texts from
// first_board_slot (80) down.
inline constexpr int first_station_slot = 1;
inline constexpr int last_shared_slot = first_board_slot;

enum class slot_role {
  unused,  // slot 0, which stays clear
  station,
  board_text,
  reference_three,  // 81
  reference_two,    // 82
  reference_one,    // 83
  train_line_data,  // 84
  scenario_header,  // 85
  train_header,     // 86
};

// The role of a slot as the record shows it. Slots 1 to 80 hold a station or
// a board text; a board text is a record that holds nothing but its label.
slot_role role_of_slot(int slot, const line_record& record);

// "station", "board text", "kilometre reference one", ..., "unused slot 0".
const char* slot_role_name(slot_role role);

// True when any field of the record differs from a cleared slot.
bool slot_used(const line_record& record);

// Station kinds. Kinds from 25 up are timetable entries only: no marker cell.
// Terminals (5, 6) get their marker but no approach marks.
inline constexpr std::uint8_t first_unmarked_station_kind = 25;
bool station_has_marker(std::uint8_t kind);
bool station_has_approach_marks(std::uint8_t kind);

// The platform of a station from its position, length and kind: terminals
// (5, 6) run from at - length to at + 150; kinds 7 and 8 from at - length to
// at + length; every other kind is centred on its position and, with opt_d,
// reaches 50 m further. Sums are formed in 64 bits and keep their low 32.
// station_length_m gives the length back from the stored record's kind,
// at_m and from_m.
struct station_extent {
  std::int32_t from_m = 0;
  std::int32_t to_m = 0;
};
station_extent extent_of_station(std::uint8_t kind, std::int32_t at_m,
                                 std::int32_t length_m, bool opt_d);
std::int64_t station_length_m(const line_record& station);

// Times of day are seconds after midnight, (hours x 60 + minutes) x 60 +
// seconds in 32-bit arithmetic; the parts are not validated, so hours run
// past 23 and a time can be negative.
struct time_parts {
  bool negative = false;
  std::int64_t hours = 0;  // of the magnitude
  std::int32_t minutes = 0;
  std::int32_t seconds = 0;
};
std::int32_t encode_time_of_day(std::int32_t hours, std::int32_t minutes,
                                std::int32_t seconds);
time_parts decode_time_of_day(std::int32_t time_s);

// A stored label byte as a person reads it: the character of the same number
// (labels are single bytes whose first 256 characters are Latin-1), appended
// to `out` in UTF-8.
void append_label_byte_utf8(std::string& out, unsigned char byte);
