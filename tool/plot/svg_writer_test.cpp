#include "tool/plot/svg_writer.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(plot_svg_writer, numbers_are_plain_with_at_most_one_decimal) {
  const struct {
    double v;
    const char* expected;
  } cases[] = {
      {12, "12"},           // no ".0"
      {-3.26, "-3.3"},      // one decimal, the nearest
      {0.04, "0"},          // rounds to zero
      {-0.04, "0"},         // never "-0"
      {1e9, "1000000000"},  // the largest written as it is
      {1.5e9, "0"},         // beyond: no coordinate of a picture
      {std::numeric_limits<double>::quiet_NaN(), "0"},
      {-std::numeric_limits<double>::infinity(), "0"},
  };
  for (const auto& c : cases) EXPECT_EQ(num(c.v), c.expected) << c.v;
}

TEST(plot_svg_writer, labels_become_xml_text) {
  const struct {
    const char* label;
    const char* expected;
  } cases[] = {
      {"A&B <C> \"q\" 'r'", "A&amp;B &lt;C&gt; &quot;q&quot; &apos;r&apos;"},
      {"a\x01\x1F"
       "b",
       "a??b"},                      // control bytes, not even as references
      {"Citt\xE0", "Citt\xC3\xA0"},  // Latin-1 becomes UTF-8
  };
  for (const auto& c : cases) EXPECT_EQ(xml_text(c.label), c.expected);
}

TEST(plot_svg_writer, times_and_positions) {
  EXPECT_EQ(hms(3723), "01:02:03");
  EXPECT_EQ(hms(-1), "-");
  EXPECT_EQ(km_text(12340), "12.34 km");
  EXPECT_EQ(km_text(0), "0.00 km");
}

}  // namespace
