#include "tool/plot/labels.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace {

const box panel{0, 0, 300, 160};
constexpr double name_w = 60;

TEST(plot_labels, a_name_goes_beside_its_station_first_then_farther_out) {
  const struct {
    const char* note;
    double x, y;
    std::vector<box> taken;
    double want_x, want_y;
    const char* want_anchor;
    bool want_leader;
  } cases[] = {
      // Right of the mark and above it, where nothing is in the way.
      {"free panel", 150, 80, {}, 157, 74, "start", false},
      // The right-hand places would cross the panel's edge.
      {"at the right edge", 280, 80, {}, 273, 74, "end", false},
      // The places above would cross the panel's top.
      {"at the top edge", 150, 6, {}, 157, 19, "start", false},
      // A name already right of and above the mark.
      {"above right taken",
       150,
       80,
       {{150, 60, 230, 78}},
       157,
       93,
       "start",
       false},
      // Every place beside the mark is covered: a ring, with a leader line
      // (where on it is left to the loop over the rings).
      {"all beside taken", 150, 80, {{70, 55, 230, 105}}, 0, 0, "start", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    label_place p;
    ASSERT_TRUE(place_plan_name(c.x, c.y, name_w, panel, c.taken, p));
    EXPECT_EQ(p.leader, c.want_leader);
    EXPECT_STREQ(p.anchor, c.want_anchor);
    if (!c.want_leader) {
      EXPECT_DOUBLE_EQ(p.x, c.want_x);
      EXPECT_DOUBLE_EQ(p.y, c.want_y);
    }
    EXPECT_TRUE(free_of(c.taken, p.taken));
  }
}

// Names of stations crowded at one place fill the places beside them, the
// rings and at last the column along the panel's edge; none meets another,
// and once all are full a name finds no place rather than a taken one.
TEST(plot_labels, crowded_names_never_overlap) {
  std::vector<box> taken;
  std::size_t placed = 0, with_leader = 0;
  label_place p;
  while (placed < 1000 && place_plan_name(150 + static_cast<double>(placed % 3),
                                          80, name_w, panel, taken, p)) {
    ASSERT_TRUE(free_of(taken, p.taken)) << placed;
    EXPECT_GE(p.taken.x0, panel.x0) << placed;
    EXPECT_LE(p.taken.x1, panel.x1) << placed;
    EXPECT_GE(p.taken.y0, panel.y0) << placed;
    taken.push_back(p.taken);
    ++placed;
    with_leader += p.leader;
  }
  EXPECT_LT(placed, 1000u);
  EXPECT_GT(placed - with_leader, 0u);
  EXPECT_GT(with_leader, 10u);
}

}  // namespace
