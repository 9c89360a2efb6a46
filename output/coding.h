// Little-endian appenders for the binary files. Each one writes its bytes with
// shifts, so the files come out the same whatever the byte order of the
// machine that builds them. Signed values are packed as the unsigned value of
// the same width, which is their two's complement bit pattern.
#pragma once

#include <cstdint>
#include <cstring>
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

// The one place where a wider count becomes a 16-bit field: only the low 16
// bits are kept. Callers that must not lose bits check the range first.
inline std::uint16_t low_16_bits(std::uint64_t v) {
  return static_cast<std::uint16_t>(v & 0xFFFFu);
}
