#include "output/coding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

using bytes = std::vector<std::uint8_t>;

TEST(coding, appenders_write_little_endian_after_what_is_there) {
  struct {
    void (*append)(bytes&);
    bytes expected;  // after the 0xEE already in the buffer
    const char* note;
  } cases[] = {
      {[](bytes& b) { put_u8(b, 0xAB); }, {0xAB}, "u8"},
      {[](bytes& b) { put_u16(b, 5121); }, {0x01, 0x14}, "u16, low byte first"},
      {[](bytes& b) { put_u16(b, 0xFFFF); }, {0xFF, 0xFF}, "u16 maximum"},
      {[](bytes& b) { put_i16(b, -2); }, {0xFE, 0xFF}, "i16 two's complement"},
      {[](bytes& b) { put_i16(b, std::numeric_limits<std::int16_t>::min()); },
       {0x00, 0x80},
       "i16 minimum"},
      {[](bytes& b) { put_i32(b, 0x12345678); },
       {0x78, 0x56, 0x34, 0x12},
       "i32, every byte distinct"},
      {[](bytes& b) { put_i32(b, -1); }, {0xFF, 0xFF, 0xFF, 0xFF}, "i32 -1"},
      {[](bytes& b) { put_i32(b, std::numeric_limits<std::int32_t>::min()); },
       {0x00, 0x00, 0x00, 0x80},
       "i32 minimum"},
      {[](bytes& b) { put_f64(b, 1.5); },
       {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F},
       "f64 1.5"},
      {[](bytes& b) { put_f64(b, -2.0); },
       {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0},
       "f64 -2, sign in the last byte"},
      {[](bytes& b) { put_f64(b, 0.1); },
       {0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0xB9, 0x3F},
       "f64 0.1, all eight bytes carry bits"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    bytes out = {0xEE};
    c.append(out);
    bytes expected = {0xEE};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    EXPECT_EQ(out, expected);
  }
}

TEST(coding, low_16_bits_keeps_the_low_bits) {
  EXPECT_EQ(low_16_bits(65535), 65535);
  EXPECT_EQ(low_16_bits(65536), 0);
  EXPECT_EQ(low_16_bits(70000), 70000 - 65536);
}

}  // namespace
