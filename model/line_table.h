// The line table: 87 records holding the stations with their timetable (from
// slot 1 up), the texts of the indicator boards (from slot 80 down) and the
// header data of the line and the train (slots 81 to 86). Slot 0 stays clear.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct line_record {
  std::uint8_t kind = 0;
  std::int32_t from_m = 0;
  std::int32_t to_m = 0;
  std::int32_t at_m = 0;
  std::uint8_t opt_a = 0;
  std::string label;
  std::int16_t num_a = 0;
  std::int16_t num_b = 0;
  std::int16_t num_c = 0;
  std::int16_t num_d = 0;
  std::int16_t num_e = 0;
  std::uint8_t opt_b = 0;
  std::uint8_t opt_c = 0;
  std::uint8_t opt_d = 0;
  std::uint8_t opt_e = 0;
  std::int32_t time_s = 0;
};

inline constexpr int line_table_slots = 87;
inline constexpr int first_board_slot = 80;
inline constexpr int slot_reference_three = 81;
inline constexpr int slot_reference_two = 82;
inline constexpr int slot_reference_one = 83;
inline constexpr int slot_train_line_data = 84;
inline constexpr int slot_scenario_header = 85;
inline constexpr int slot_train_header = 86;

struct line_table {
  std::array<line_record, line_table_slots> slots;
};

// Clears every slot, 0 to 86 in ascending order: numbers 0, labels empty.
inline void clear_line_table(line_table& table) {
  for (line_record& record : table.slots) record = line_record{};
}

// The record of slot n, or nullptr when n lies outside 0..86.
inline line_record* slot_at(line_table& table, std::int64_t n) {
  if (n < 0 || n >= line_table_slots) return nullptr;
  return &table.slots[static_cast<std::size_t>(n)];
}
inline const line_record* slot_at(const line_table& table, std::int64_t n) {
  if (n < 0 || n >= line_table_slots) return nullptr;
  return &table.slots[static_cast<std::size_t>(n)];
}
