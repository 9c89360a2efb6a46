#include "model/stored_values.h"

#include "base/text.h"
#include "model/packing.h"

namespace {

constexpr value_field none{"", ""};

}  // namespace

const std::array<cell_kind_info, 12> cell_kinds = {{
    {kind_plain, "plain track", false, {none, none, none, none}},
    {kind_signal,
     "signal",
     true,
     {{{"s1_d1", "10 x s1 + d1"},
       {"s2_d2", "10 x s2 + d2"},
       {"s3_d3", "10 x s3 + d3"},
       {"rapp_sx_dx", "10 x rapp + 3 x sx + dx"}}}},
    {kind_slowdown_end,
     "slowdown end",
     false,
     {{{"speed", "the slowdown speed, km/h"},
       {"d_v", "the second speed d_v, when not 0"},
       {"f_tt", "f_tt of the slowdown row"},
       none}}},
    {kind_slowdown_start,
     "slowdown start",
     false,
     {{{"speed", "the slowdown speed, km/h"},
       {"d_v", "the second speed d_v, when not 0"},
       {"f_tt", "f_tt of the slowdown row"},
       none}}},
    {kind_warning_board,
     "warning board",
     false,
     {{{"speed", "the slowdown speed, km/h"},
       {"d_v", "the second speed d_v, when not 0"},
       none,
       none}}},
    {kind_pre_warning,
     "pre-warning",
     false,
     {{{"number", "1 to 4, 1 in the cell nearest the warning board"},
       {"number_with_d_v", "the same number, when d_v is not 0"},
       none,
       none}}},
    {kind_speed_board,
     "speed board",
     true,
     {{{"speeds_a", "first speed x 20 + second speed / 5"},
       {"speeds_b", "first speed x 20 + second speed / 5"},
       {"speeds_c", "first speed x 20 + second speed / 5"},
       {"stripes", "10 x first stripes + second stripes"}}}},
    {kind_station_marker,
     "station marker",
     false,
     {{{"station_slot", "the line table slot of the station"},
       none,
       none,
       none}}},
    {kind_tunnel_marker, "tunnel marker", false, {none, none, none, none}},
    {kind_code_marker,
     "code marker",
     false,
     {{{"code", "the signal code that applies from this cell"},
       none,
       none,
       none}}},
    {kind_zero_code_marker,
     "zero-code marker",
     false,
     {none, none, none, none}},
    {kind_text_board,
     "text board",
     false,
     {{{"text_slot", "the line table slot of the board's text"},
       none,
       none,
       none}}},
}};

const cell_kind_info* find_cell_kind(std::uint8_t kind) {
  for (const cell_kind_info& info : cell_kinds)
    if (info.kind == kind) return &info;
  return nullptr;
}

const char* cell_kind_name(std::uint8_t kind) {
  const cell_kind_info* info = find_cell_kind(kind);
  return info != nullptr ? info->name : "unknown kind";
}

bool encode_speed_units(std::int32_t speed_kmh, std::uint8_t& units) {
  return nearest_as(static_cast<double>(speed_kmh) / 5.0, units);
}

std::int32_t decode_speed_units(std::uint8_t units) { return units * 5; }

std::uint8_t encode_gradient(std::int32_t per_mille) {
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(per_mille) +
                                   100u);
}

std::int32_t decode_gradient(std::uint8_t stored) { return stored - 100; }

void pack_signal(const signal_parts& p, track_cell& cell) {
  cell.value1 = low16(std::int64_t{10} * p.s1 + p.d1);
  cell.value2 = low16(std::int64_t{10} * p.s2 + p.d2);
  cell.value3 = low16(std::int64_t{10} * p.s3 + p.d3);
  cell.value4 =
      low16(std::int64_t{10} * p.rapp + std::int64_t{3} * p.sx + p.dx);
}

bool unpack_signal(const track_cell& c, signal_parts& p) {
  if (c.value1 < 0 || c.value2 < 0 || c.value3 < 0 || c.value4 < 0)
    return false;
  p.s1 = c.value1 / 10;
  p.d1 = c.value1 % 10;
  p.s2 = c.value2 / 10;
  p.d2 = c.value2 % 10;
  p.s3 = c.value3 / 10;
  p.d3 = c.value3 % 10;
  p.rapp = c.value4 / 10;
  p.sx = c.value4 % 10 / 3;
  p.dx = c.value4 % 10 % 3;
  return true;
}

std::int32_t raised_timer(std::int32_t tempo) {
  return tempo >= 1 && tempo <= 100 ? 101 : tempo;
}

std::uint8_t encode_signal_timer(std::int32_t sx, std::int32_t tempo) {
  return sx == 2 ? low8(raised_timer(tempo)) : std::uint8_t{0};
}

std::uint8_t encode_adhesion(std::int32_t adhesion) { return low8(adhesion); }

std::uint8_t signal_approach_code(std::int32_t sx, std::int32_t dx, int mark) {
  return low8(std::int64_t{30} * sx + std::int64_t{10} * dx + mark);
}

std::uint8_t station_approach_code(int mark) { return low8(80 + mark); }

bool pack_speed_board(const speed_board_parts& p, track_cell& cell) {
  // All three speeds are encoded before the cell is touched, so a board
  // refused for a speed out of range leaves no half-written cell behind.
  std::array<std::int16_t, 3> speeds{};
  for (std::size_t i = 0; i < 3; ++i) {
    const double sum =
        static_cast<double>(p.second_kmh[i]) / 5.0 +
        static_cast<double>(static_cast<std::int64_t>(p.first_kmh[i]) * 20);
    if (!nearest_as(sum, speeds[i])) return false;
  }
  cell.value1 = speeds[0];
  cell.value2 = speeds[1];
  cell.value3 = speeds[2];
  const std::uint32_t stripes =
      static_cast<std::uint32_t>(p.first_stripes) * 10u +
      static_cast<std::uint32_t>(p.second_stripes);
  cell.value4 = static_cast<std::int16_t>(static_cast<std::uint16_t>(stripes));
  return true;
}

bool unpack_speed_board(const track_cell& c, speed_board_parts& p) {
  const std::int16_t speeds[] = {c.value1, c.value2, c.value3};
  for (std::size_t i = 0; i < 3; ++i) {
    if (speeds[i] < 0) return false;
    p.first_kmh[i] = speeds[i] / 20;
    p.second_kmh[i] = speeds[i] % 20 * 5;
  }
  if (c.value4 < 0) return false;
  p.first_stripes = c.value4 / 10;
  p.second_stripes = c.value4 % 10;
  return true;
}

bool slot_used(const line_record& r) {
  return r.kind != 0 || r.from_m != 0 || r.to_m != 0 || r.at_m != 0 ||
         r.opt_a != 0 || !r.label.empty() || r.num_a != 0 || r.num_b != 0 ||
         r.num_c != 0 || r.num_d != 0 || r.num_e != 0 || r.opt_b != 0 ||
         r.opt_c != 0 || r.opt_d != 0 || r.opt_e != 0 || r.time_s != 0;
}

slot_role role_of_slot(int slot, const line_record& r) {
  switch (slot) {
    case 0:
      return slot_role::unused;
    case slot_reference_three:
      return slot_role::reference_three;
    case slot_reference_two:
      return slot_role::reference_two;
    case slot_reference_one:
      return slot_role::reference_one;
    case slot_train_line_data:
      return slot_role::train_line_data;
    case slot_scenario_header:
      return slot_role::scenario_header;
    case slot_train_header:
      return slot_role::train_header;
    default:
      break;
  }
  // Stations fill every field they have; a board's text is all its slot
  // holds.
  line_record without_label = r;
  without_label.label.clear();
  const bool board_text = !r.label.empty() && !slot_used(without_label);
  return board_text ? slot_role::board_text : slot_role::station;
}

const char* slot_role_name(slot_role role) {
  switch (role) {
    case slot_role::unused:
      return "unused slot 0";
    case slot_role::station:
      return "station";
    case slot_role::board_text:
      return "board text";
    case slot_role::reference_three:
      return "kilometre reference three";
    case slot_role::reference_two:
      return "kilometre reference two";
    case slot_role::reference_one:
      return "kilometre reference one";
    case slot_role::train_line_data:
      return "train and line data";
    case slot_role::scenario_header:
      return "scenario header";
    case slot_role::train_header:
      return "train header";
  }
  return "station";
}

bool station_has_marker(std::uint8_t kind) {
  return kind < first_unmarked_station_kind;
}

namespace {

bool is_terminal(std::uint8_t kind) { return kind == 5 || kind == 6; }
bool reaches_both_sides(std::uint8_t kind) { return kind == 7 || kind == 8; }

}  // namespace

bool station_has_approach_marks(std::uint8_t kind) {
  return station_has_marker(kind) && !is_terminal(kind);
}

station_extent extent_of_station(std::uint8_t kind, std::int32_t at_m,
                                 std::int32_t length_m, bool opt_d) {
  const std::int64_t at = at_m;
  if (is_terminal(kind)) return {low32(at - length_m), low32(at + 150)};
  if (reaches_both_sides(kind))
    return {low32(at - length_m), low32(at + length_m)};
  return {low32(at - length_m / 2),
          low32(at + length_m / 2 + (opt_d ? 50 : 0))};
}

std::int64_t station_length_m(const line_record& s) {
  const std::int64_t before = std::int64_t{s.at_m} - s.from_m;
  return is_terminal(s.kind) || reaches_both_sides(s.kind) ? before
                                                           : 2 * before;
}

std::int32_t encode_time_of_day(std::int32_t hours, std::int32_t minutes,
                                std::int32_t seconds) {
  return low32((std::int64_t{hours} * 60 + minutes) * 60 +
               std::int64_t{seconds});
}

time_parts decode_time_of_day(std::int32_t time_s) {
  std::int64_t s = time_s;
  time_parts t;
  t.negative = s < 0;
  if (t.negative) s = -s;
  t.hours = s / 3600;
  t.minutes = static_cast<std::int32_t>(s / 60 % 60);
  t.seconds = static_cast<std::int32_t>(s % 60);
  return t;
}

void append_label_byte_utf8(std::string& out, unsigned char byte) {
  append_latin1_as_utf8(out, byte);
}
