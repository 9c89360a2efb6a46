// The curve table: the plan of the track, one point per metre, metres 0 to L,
// two coordinates each. Each entry is a tagged value (empty, 16-bit integer or
// double) and the tags reach the line profile file unchanged.
//
// Memory is kept compact for long lines: one tag byte and one double per entry,
// in stored order (all coordinate-0 entries for m = 0..L, then coordinate 1).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/platform.h"

enum class curve_tag : std::uint8_t { empty = 0, int16 = 2, real = 5 };

struct curve_table {
  std::int32_t last_metre = -1;  // L; -1 while unallocated
  std::vector<curve_tag> tags;
  std::vector<double> values;

  bool allocated() const { return last_metre >= 0; }
};

// Replaces the table by 2 x (l + 1) empty entries. REQUIRES: l >= 0.
inline void allocate_curve_table(curve_table& table, std::int32_t l) {
  std::size_t count = 2 * (static_cast<std::size_t>(l) + 1);
  table.last_metre = l;
  table.tags.clear();
  table.values.clear();
  table.tags.reserve(count);
  table.values.reserve(count);
  // The values of a long line's plan fill many megabytes (16 MB for
  // 1,000,000 m), every byte of them touched below: asked for before the
  // first touch, huge pages save thousands of page faults.
  advise_large_block(table.values.data(), count * sizeof(double));
  table.tags.assign(count, curve_tag::empty);
  table.values.assign(count, 0.0);
}

// Index of entry (m, c) in stored order, or -1 when (m, c) lies outside the
// table.
inline std::int64_t curve_index(const curve_table& table, std::int64_t m,
                                int c) {
  if (m < 0 || m > table.last_metre || c < 0 || c > 1) return -1;
  return static_cast<std::int64_t>(c) * (table.last_metre + 1) + m;
}

// Stores a value; returns false (and stores nothing) outside the table.
inline bool set_curve_real(curve_table& table, std::int64_t m, int c,
                           double v) {
  std::int64_t i = curve_index(table, m, c);
  if (i < 0) return false;
  table.tags[static_cast<std::size_t>(i)] = curve_tag::real;
  table.values[static_cast<std::size_t>(i)] = v;
  return true;
}
inline bool set_curve_int16(curve_table& table, std::int64_t m, int c,
                            std::int16_t v) {
  std::int64_t i = curve_index(table, m, c);
  if (i < 0) return false;
  table.tags[static_cast<std::size_t>(i)] = curve_tag::int16;
  table.values[static_cast<std::size_t>(i)] = v;
  return true;
}

// The numeric value of entry (m, c); 0 for an empty entry or outside.
inline double curve_value(const curve_table& table, std::int64_t m, int c) {
  std::int64_t i = curve_index(table, m, c);
  if (i < 0) return 0.0;
  return table.values[static_cast<std::size_t>(i)];
}
inline curve_tag curve_tag_at(const curve_table& table, std::int64_t m, int c) {
  std::int64_t i = curve_index(table, m, c);
  if (i < 0) return curve_tag::empty;
  return table.tags[static_cast<std::size_t>(i)];
}
