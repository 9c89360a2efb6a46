// Little-endian appenders for the binary files, and the getters that read
// them back. Each one moves its bytes with shifts, so the files come out (and
// are read) the same whatever the byte order of the machine. Signed values
// are packed as the unsigned value of the same width, which is their two's
// complement bit pattern.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

inline void put_u8(std::vector<std::uint8_t>& out, std::uint8_t v) {
  out.push_back(v);
}

inline void put_u16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFFu));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void put_i16(std::vector<std::uint8_t>& out, std::int16_t v) {
  put_u16(out, static_cast<std::uint16_t>(v));
}

inline void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>((v >> shift) & 0xFFu));
}

inline void put_i32(std::vector<std::uint8_t>& out, std::int32_t v) {
  put_u32(out, static_cast<std::uint32_t>(v));
}

// A double goes out as the 8 bytes of its IEEE 754 bit pattern.
inline void put_f64(std::vector<std::uint8_t>& out, double v) {
  static_assert(sizeof(double) == sizeof(std::uint64_t),
                "doubles must be 64-bit IEEE 754");
  std::uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  for (int shift = 0; shift < 64; shift += 8)
    out.push_back(static_cast<std::uint8_t>((bits >> shift) & 0xFFu));
}

// Stores into a buffer sized beforehand, for the large images, where an
// append per byte would cost more than writing the file itself. Each writes
// the same bytes as its appender above and returns the position after them.
// REQUIRES: room for the value from `at`.
inline std::uint8_t* store_u16(std::uint8_t* at, std::uint16_t v) {
  at[0] = static_cast<std::uint8_t>(v & 0xFFu);
  at[1] = static_cast<std::uint8_t>(v >> 8);
  return at + 2;
}

inline std::uint8_t* store_i16(std::uint8_t* at, std::int16_t v) {
  return store_u16(at, static_cast<std::uint16_t>(v));
}

inline std::uint8_t* store_f64(std::uint8_t* at, double v) {
  static_assert(sizeof(double) == sizeof(std::uint64_t),
                "doubles must be 64-bit IEEE 754");
  std::uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i)
    at[i] = static_cast<std::uint8_t>((bits >> (8 * i)) & 0xFFu);
  return at + 8;
}

// The one place where a wider count becomes a 16-bit field: only the low 16
// bits are kept. Callers that must not lose bits check the range first.
inline std::uint16_t low_16_bits(std::uint64_t v) {
  return static_cast<std::uint16_t>(v & 0xFFFFu);
}

// Getters, one per appender: the value whose bytes start at `at`.
// REQUIRES: the whole field lies inside `in`; the caller checks the size
// first, so a getter never reads past the end.
inline std::uint8_t get_u8(std::string_view in, std::size_t at) {
  return static_cast<std::uint8_t>(in[at]);
}

inline std::uint16_t get_u16(std::string_view in, std::size_t at) {
  return static_cast<std::uint16_t>(get_u8(in, at) | get_u8(in, at + 1) << 8);
}

inline std::int16_t get_i16(std::string_view in, std::size_t at) {
  return static_cast<std::int16_t>(get_u16(in, at));
}

inline std::uint32_t get_u32(std::string_view in, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i)
    v |= static_cast<std::uint32_t>(get_u8(in, at + i)) << (8 * i);
  return v;
}

inline std::int32_t get_i32(std::string_view in, std::size_t at) {
  return static_cast<std::int32_t>(get_u32(in, at));
}

inline double get_f64(std::string_view in, std::size_t at) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < 8; ++i)
    bits |= static_cast<std::uint64_t>(get_u8(in, at + i)) << (8 * i);
  double v = 0;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}
