// Labels kept apart: how wide a label is, the box it takes, and where a
// station's name goes on the plan. A label is placed only where its box
// meets no box taken before it.
#pragma once

#include <string_view>
#include <vector>

struct box {
  double x0, y0, x1, y1;
  bool overlaps(const box& o) const {
    return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1;
  }
};

// Whether `b` meets none of `taken`.
bool free_of(const std::vector<box>& taken, const box& b);

// The width of a label in the sans-serif face at `size` px, from the widths
// of DejaVu Sans by kind of character, erring wide, so that labels kept
// apart by it never run into each other.
double label_w(std::string_view label, double size);

// Where a label is written (at x, y, aligned by `anchor`), the box it takes,
// and, for a label set away from its mark, where a leader line from the mark
// meets it.
struct label_place {
  double x = 0, y = 0;
  const char* anchor = "start";
  box taken{0, 0, 0, 0};
  bool leader = false;
  double leader_x = 0, leader_y = 0;
};

// A place for a station's name `w` px wide (10 px letters) whose mark is at
// (x, y) on the plan, within `panel` and free of `taken`: first beside the
// station, then farther out on rings around it, and last in a column along
// the panel's right edge, where only `taken` limits it. False when even the
// column is full.
bool place_plan_name(double x, double y, double w, const box& panel,
                     const std::vector<box>& taken, label_place& place);
