#include "tool/plot/labels.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;

bool fits(const box& panel, const std::vector<box>& taken, const box& b) {
  return b.x0 >= panel.x0 && b.x1 <= panel.x1 && b.y0 >= panel.y0 &&
         b.y1 <= panel.y1 && free_of(taken, b);
}

// Right beside the station, at one of eight places around its mark.
bool place_beside(double x, double y, double w, const box& panel,
                  const std::vector<box>& taken, label_place& place) {
  const struct {
    double ox, oy;
    double shift;  // of the label's box, in label widths
    const char* anchor;
  } places[] = {{7, -6, 0, "start"},     {7, 13, 0, "start"},
                {-7, -6, -1, "end"},     {-7, 13, -1, "end"},
                {0, -9, -0.5, "middle"}, {0, 17, -0.5, "middle"},
                {9, 4, 0, "start"},      {-9, 4, -1, "end"}};
  for (const auto& k : places) {
    const double lx = x + k.ox, ly = y + k.oy;
    const double bx0 = lx + k.shift * w;
    const box b{bx0, ly - 9, bx0 + w, ly + 2};
    if (!fits(panel, taken, b)) continue;
    place = {lx, ly, k.anchor, b, false, 0, 0};
    return true;
  }
  return false;
}

// On rings 24 to 150 px out, sixteen places on each, starting above the
// mark and going clockwise.
bool place_on_rings(double x, double y, double w, const box& panel,
                    const std::vector<box>& taken, label_place& place) {
  for (double r = 24; r <= 150; r += 14)
    for (int a = 0; a < 16; ++a) {
      const double angle = -pi / 2 + a * pi / 8;
      const double lx = x + r * std::cos(angle), ly = y + r * std::sin(angle);
      const double bx0 = std::cos(angle) < -0.1  ? lx - w
                         : std::cos(angle) > 0.1 ? lx
                                                 : lx - w / 2;
      const box b{bx0 - 1, ly - 9, bx0 + w + 1, ly + 2};
      if (!fits(panel, taken, b)) continue;
      const double leader_y = ly < y ? b.y1 : b.y0;
      place = {bx0, ly, "start", b, true, std::clamp(x, b.x0, b.x1), leader_y};
      return true;
    }
  return false;
}

// In a column down the panel's right edge, from its top.
bool place_in_column(double w, const box& panel, const std::vector<box>& taken,
                     label_place& place) {
  for (double ly = panel.y0 + 10; ly < panel.y1; ly += 12) {
    const box b{panel.x1 - w - 4, ly - 9, panel.x1 - 4, ly + 2};
    if (!free_of(taken, b)) continue;
    place = {b.x0, ly, "start", b, true, b.x0, ly - 3};
    return true;
  }
  return false;
}

}  // namespace

bool free_of(const std::vector<box>& taken, const box& b) {
  return std::none_of(taken.begin(), taken.end(),
                      [&](const box& t) { return t.overlaps(b); });
}

double label_w(std::string_view label, double size) {
  double em = 0;
  for (const char ch : label) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 'A' && c <= 'Z')
      em += c == 'M' || c == 'W' ? 0.88 : 0.74;
    else if (c >= '0' && c <= '9')
      em += 0.64;
    else if (c == ' ' || c == '.' || c == ',' || c == ':' || c == '\'' ||
             c == 'i' || c == 'l' || c == 'j')
      em += 0.34;
    else if (c >= 0x80 && c < 0xC0)
      continue;  // a continuation byte of UTF-8 or an entity's tail
    else
      em += c == 'm' || c == 'w' ? 0.9 : 0.62;
  }
  return em * size;
}

bool place_plan_name(double x, double y, double w, const box& panel,
                     const std::vector<box>& taken, label_place& place) {
  return place_beside(x, y, w, panel, taken, place) ||
         place_on_rings(x, y, w, panel, taken, place) ||
         place_in_column(w, panel, taken, place);
}
