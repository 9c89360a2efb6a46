#include "output/coding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
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

// Each getter reads back what its appender wrote, at an odd offset, for the
// values where a sign or byte-order slip shows: extremes and distinct bytes.
TEST(coding, getters_read_back_what_the_appenders_wrote) {
  using i16 = std::numeric_limits<std::int16_t>;
  using i32 = std::numeric_limits<std::int32_t>;
  const std::uint16_t u16s[] = {0, 0x1234, 0xFFFF};
  const std::int16_t i16s[] = {i16::min(), -2, i16::max()};
  const std::int32_t i32s[] = {i32::min(), -1, 0x12345678, i32::max()};
  const double f64s[] = {-0.0, 0.1, -2.0, 1e308, 5e-324};
  bytes out = {0xEE};
  for (std::uint16_t v : u16s) put_u16(out, v);
  for (std::int16_t v : i16s) put_i16(out, v);
  for (std::int32_t v : i32s) put_i32(out, v);
  for (double v : f64s) put_f64(out, v);
  put_u8(out, 0xAB);
  const std::string image(out.begin(), out.end());
  const std::string_view in = image;

  std::size_t at = 1;
  for (std::uint16_t v : u16s) {
    EXPECT_EQ(get_u16(in, at), v);
    at += 2;
  }
  for (std::int16_t v : i16s) {
    EXPECT_EQ(get_i16(in, at), v);
    at += 2;
  }
  for (std::int32_t v : i32s) {
    EXPECT_EQ(get_i32(in, at), v);
    at += 4;
  }
  for (double v : f64s) {
    const double back = get_f64(in, at);
    EXPECT_EQ(std::memcmp(&back, &v, sizeof v), 0) << v;  // -0.0 keeps its sign
    at += 8;
  }
  EXPECT_EQ(get_u8(in, at), 0xAB);
  EXPECT_EQ(at + 1, in.size());
}

// The stores into a buffer sized beforehand write exactly the bytes of the
// appenders, one value after the other, and touch nothing past them.
TEST(coding, stores_write_the_bytes_of_the_appenders) {
  using i16 = std::numeric_limits<std::int16_t>;
  const std::uint16_t u16s[] = {0, 0x1234, 0xFFFF};
  const std::int16_t i16s[] = {i16::min(), -2, i16::max()};
  const double f64s[] = {-0.0, 0.1, -2.0, 1e308, 5e-324};
  bytes appended;
  for (std::uint16_t v : u16s) put_u16(appended, v);
  for (std::int16_t v : i16s) put_i16(appended, v);
  for (double v : f64s) put_f64(appended, v);

  bytes stored(appended.size() + 1, 0xEE);
  std::uint8_t* at = stored.data();
  for (std::uint16_t v : u16s) at = store_u16(at, v);
  for (std::int16_t v : i16s) at = store_i16(at, v);
  for (double v : f64s) at = store_f64(at, v);
  EXPECT_EQ(at, stored.data() + appended.size());
  EXPECT_EQ(stored.back(), 0xEE);
  stored.pop_back();
  EXPECT_EQ(stored, appended);
}

TEST(coding, low_16_bits_keeps_the_low_bits) {
  EXPECT_EQ(low_16_bits(65535), 65535);
  EXPECT_EQ(low_16_bits(65536), 0);
  EXPECT_EQ(low_16_bits(70000), 70000 - 65536);
}

}  // namespace
