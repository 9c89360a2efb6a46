// The curvature panel: how sharply the plan turns along the stretch drawn,
// right above the centre line and left below it, with the curve rows of the
// sources on the centre line.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tool/plot/labels.h"
#include "tool/plot/panels.h"

namespace {

constexpr double pi = 3.14159265358979323846;

// The direction of the plan at metre m, in radians; false where the plan
// has no value.
bool heading_at(const curve_table& t, std::int64_t m, double& heading) {
  double x0, y0, x1, y1;
  if (!plan_at(t, m, x0, y0) || !plan_at(t, m + 1, x1, y1) ||
      (x0 == x1 && y0 == y1))
    return false;
  heading = std::atan2(y1 - y0, x1 - x0);
  return true;
}

// The mean curvature of the plan from metre a to metre b (b > a), per metre:
// how far its direction turns; positive turns right, as a "curvad" row does.
bool curvature_between(const curve_table& t, std::int64_t a, std::int64_t b,
                       double& kappa) {
  double ha, hb;
  if (!heading_at(t, a, ha) || !heading_at(t, b, hb)) return false;
  double turn = hb - ha;
  while (turn > pi) turn -= 2 * pi;
  while (turn < -pi) turn += 2 * pi;
  // The plan's y grows to the left of its direction, so a right-hand curve
  // turns it clockwise.
  kappa = -turn / static_cast<double>(b - a);
  return true;
}

struct curvature_run {
  double from_m, to_m, kappa;
};

// The curvature along the stretch drawn in columns of three pixels, or of a
// metre when that is wider: a column takes the mean of the curves within
// it. Neighbouring columns of one value are merged into one run.
std::vector<curvature_run> curvature_runs(const scene& sc) {
  std::vector<curvature_run> runs;
  const curve_table& t = *sc.in.curves;
  const double step_m =
      std::max(1.0, 3 * (sc.to_m - sc.from_m) / std::max(sc.plot_w, 1.0));
  for (double a = sc.from_m; a < sc.to_m; a += step_m) {
    const auto m0 = static_cast<std::int64_t>(std::floor(a));
    const auto m1 = std::max<std::int64_t>(
        m0 + 1, static_cast<std::int64_t>(std::floor(a + step_m)));
    double kappa = 0;
    if (!curvature_between(t, m0, m1, kappa)) continue;
    const double end = std::min(a + step_m, sc.to_m);
    if (!runs.empty() && runs.back().to_m >= a - 1e-9 &&
        std::fabs(runs.back().kappa - kappa) < 2e-6) {
      runs.back().to_m = end;
      continue;
    }
    runs.push_back({a, end, kappa});
  }
  return runs;
}

// The sharpest curve of the stretch at the top (right) and the bottom (left)
// of the panel, labelled by its radius.
void draw_curvature_ticks(std::string& s, double mid, double sharpest,
                          double per_kappa) {
  for (const int side : {1, -1}) {
    const double y = mid - side * sharpest * per_kappa;
    text(s, left_w - 8, y + 3.5,
         std::string(side > 0 ? "right" : "left") + " R " +
             num(std::round(1 / sharpest)),
         9.5, "end", faint);
    line(s, left_w - 4, y, left_w, y, faint, 1);
  }
}

// A bar per run that curves, labelled with its radius where the label fits
// within the bar and meets no label before it.
void draw_curvature_run(std::string& s, scene& sc, const curvature_run& r,
                        double mid, double per_kappa) {
  const double y = mid - r.kappa * per_kappa;
  const double radius = std::round(1 / std::fabs(r.kappa));
  rect(s, sc.x_of(r.from_m), std::min(y, mid),
       std::max(sc.x_of(r.to_m) - sc.x_of(r.from_m), 0.8), std::fabs(y - mid),
       r.kappa > 0 ? curve_right : curve_left,
       std::string(r.kappa > 0 ? "curving right" : "curving left") +
           ", radius about " + num(radius) + " m, " + km_text(r.from_m) +
           " to " + km_text(r.to_m),
       " class=\"curve\"");
  const std::string label = "R " + num(radius);
  const double w = label_w(label, 9);
  const double x = (sc.x_of(r.from_m) + sc.x_of(r.to_m)) / 2;
  const double ly = r.kappa > 0 ? y - 3 : y + 11;
  const box b{x - w / 2, ly - 9, x + w / 2, ly + 1};
  if (sc.x_of(r.to_m) - sc.x_of(r.from_m) < w || !free_of(sc.labels, b)) return;
  text(s, x, ly, label, 9, "middle", faint, halo);
  sc.labels.push_back(b);
}

// The curve rows themselves, as the author wrote them, on the centre line,
// when the picture knows them.
void draw_curve_rows(std::string& s, const scene& sc, double mid) {
  const plot_sources& src = sc.in.sources;
  if (src.curve_owners == nullptr) return;
  s += "<g id=\"curve-rows\">\n";
  double last_x = -1e9;
  for (const curve_owner& c : *src.curve_owners) {
    const double from = c.start_m;
    const double to = from + c.length_m;
    if (c.length_m <= 0 || !sc.shows(from, to)) continue;
    // Rows closer than a few pixels are reached by zooming in.
    if (sc.x_of(from) - last_x < 4) continue;
    last_x = sc.x_of(from);
    rect(s, sc.x_of(from), mid - 1.5,
         std::max(sc.x_of(to) - sc.x_of(from), 1.0), 3, "#555555",
         "curve row from " + km_text(from) + ", " + std::to_string(c.length_m) +
             " m long",
         " class=\"curve-row\"" + source_attribute(src, c.origin));
  }
  close_group(s);
}

}  // namespace

void draw_curvature(std::string& s, scene& sc) {
  open_group(s, "curvature");
  const double top = sc.curvature_top;
  draw_panel_frame(s, sc, top, curvature_h, "curvature");
  const double mid = top + curvature_h / 2 + 6;
  line(s, left_w, mid, left_w + sc.plot_w, mid, "#9a9a9a", 1);
  if (sc.in.curves == nullptr) {
    text(s, left_w + sc.plot_w / 2, mid - 6,
         "no line profile: the scenario was compiled without the track plan",
         12, "middle", faint);
    close_group(s);
    return;
  }
  const std::vector<curvature_run> runs = curvature_runs(sc);
  double sharpest = 0.0005;
  for (const curvature_run& r : runs)
    sharpest = std::max(sharpest, std::fabs(r.kappa));
  const double per_kappa = (curvature_h / 2 - 12) / sharpest;
  draw_curvature_ticks(s, mid, sharpest, per_kappa);
  for (const curvature_run& r : runs) {
    if (std::fabs(r.kappa) < 1e-6) continue;
    draw_curvature_run(s, sc, r, mid, per_kappa);
  }
  draw_curve_rows(s, sc, mid);
  close_group(s);
}
