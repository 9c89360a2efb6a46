// The ordering of the kilometre references, read from a line source.
#include "reader/kilometre_references.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "test/line_fixture.h"

namespace {

// First, second and third number of a kilometre reference.
using triple = std::array<std::int32_t, 3>;

std::string reference_row(const char* which, const triple& r) {
  return std::string("progressiva chilometrica ") + which + ", " +
         std::to_string(r[0]) + ", " + std::to_string(r[1]) + ", " +
         std::to_string(r[2]);
}

TEST(progressive_ordina, orders_the_kilometre_references) {
  const triple zero{0, 0, 0};
  struct {
    triple tre, due, uno;  // as read
    triple s81, s82, s83;  // after ordering
    const char* note;
  } cases[] = {
      // clang-format off
      {zero, zero, zero, zero, zero, zero, "all zero stays zero"},
      {{20000, 1, 0}, {5000, 2, 0}, {5000, 3, 0},
       {20000, 1, 0}, {5000, 3, 0}, {5000, 2, 0}, "equal pair: uno before due"},
      {{50, 1, 0}, {50, 2, 0}, {900, 3, 0},
       {900, 3, 0}, {50, 2, 0}, {50, 1, 0}, "equal pair: due before tre"},
      {{200, 1, 0}, {100, 2, 0}, {300, 3, 0},
       {300, 3, 0}, {200, 1, 0}, {100, 2, 0}, "all first numbers differ"},
      {{7000, 1, 0}, {7000, 2, 0}, {100, 3, 0},
       zero, zero, zero, "greatest shared: all nine cleared"},
      {{100, 0, 0}, {-100, 0, 0}, {0, 300, 0},
       {0, 300, 0}, {-100, 0, 0}, {100, 0, 0}, "sum 0: uno's second decides"},
      {{100, 0, 0}, {-100, 50, 0}, {0, 0, 0},
       {-100, 50, 0}, {100, 0, 0}, zero, "sum 0: then due's"},
      {{100, 50, 0}, {-100, 0, 0}, {0, -5, 0},
       {100, 50, 0}, {-100, 0, 0}, {0, -5, 0}, "sum 0: then tre's, no move"},
      {{100, 0, 7}, {-100, 0, 8}, {0, 0, 9},
       zero, zero, zero, "sum 0, no second number positive"},
      {{500, 1000, 0}, {0, 0, 0}, {900, 2000, 1},
       {900, 2100, 1}, {500, 1000, 0}, zero, "third number 1: +100 after move"},
      {{2147483647, 10, 0}, {2147483647, 20, 0}, {2, 30, 0},
       {2, 30, 0}, {2147483647, 20, 0}, {2147483647, 10, 0},
       "the sum keeps 32 bits: 2^32 counts as 0"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    line_fixture f;
    f.compile(
        source_text({"[generale]", "lunghezza percorso, 3000",
                     reference_row("uno", c.uno), reference_row("due", c.due),
                     reference_row("tre", c.tre), "[x]", "[fine]"}));
    auto slot = [&f](int n) {
      const line_record& r = f.ctx.table.slots[static_cast<std::size_t>(n)];
      return triple{r.from_m, r.to_m, r.at_m};
    };
    EXPECT_EQ(slot(81), c.s81);
    EXPECT_EQ(slot(82), c.s82);
    EXPECT_EQ(slot(83), c.s83);
  }
}

}  // namespace
