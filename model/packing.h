// How values become the numbers the model stores. Every real value is taken
// to the nearest integer, an exact half going to the even neighbour (2.5
// gives 2, 3.5 gives 4), and a packed sum keeps the low bits of the field it
// goes into. The readers, the stored encodings and their inverses all use
// these, so a value is rounded and cut the same way wherever it is formed.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// The nearest integer; false when it does not fit T. nearbyint rounds in the
// default mode: to nearest, ties to even.
template <typename T>
bool nearest_as(double value, T& out) {
  const double r = std::nearbyint(value);
  if (!(r >= static_cast<double>(std::numeric_limits<T>::min()) &&
        r <= static_cast<double>(std::numeric_limits<T>::max())))
    return false;
  out = static_cast<T>(r);
  return true;
}
inline bool nearest_i32(double value, std::int32_t& out) {
  return nearest_as(value, out);
}
inline bool nearest_i16(double value, std::int16_t& out) {
  return nearest_as(value, out);
}
inline bool nearest_u8(double value, std::uint8_t& out) {
  return nearest_as(value, out);
}

// Packed sums are formed in 64 bits, where row fields cannot overflow, and
// keep the low bits of their field.
inline std::int16_t low16(std::int64_t v) {
  return static_cast<std::int16_t>(
      static_cast<std::uint16_t>(static_cast<std::uint64_t>(v) & 0xFFFFu));
}
inline std::uint8_t low8(std::int64_t v) {
  return static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) & 0xFFu);
}
inline std::int32_t low32(std::int64_t v) {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}
