// The gradient panel: a bar per run of one gradient, up or down from the
// centre line, and the height the gradients add up to, on an axis of its own
// at the right.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "model/stored_values.h"
#include "tool/plot/panels.h"

namespace {

// Runs narrower than two pixels are drawn together as one bar, as the
// steepest of them, so a dense line stays a picture and not a blur of
// slivers.
struct bar {
  double from, to;
  int g, low, high, count;
};

// The steepest gradient of the line rounded up to tens, at least 10 per
// mille: the panel's range up and down.
double gradient_range(const std::vector<stretch_run>& runs) {
  int steepest = 0;
  for (const stretch_run& r : runs)
    if (r.value != gradient_not_filled)
      steepest = std::max(steepest, std::abs(decode_gradient(r.value)));
  return std::max(10.0, std::ceil(steepest / 10.0) * 10);
}

void draw_gradient_ticks(std::string& s, const scene& sc, double range,
                         double mid, double per_px) {
  for (double g : {-range, -range / 2, 0.0, range / 2, range}) {
    const double y = mid - g * per_px;
    text(s, left_w - 8, y + 3.5, num(g) + " \u2030", 10, "end", faint);
    line(s, left_w - 4, y, left_w, y, faint, 1);
  }
  line(s, left_w, mid, left_w + sc.plot_w, mid, "#9a9a9a", 1);
}

// Cells never given a gradient (0) at the far end are left blank.
std::vector<bar> gradient_bars(const scene& sc,
                               const std::vector<stretch_run>& runs) {
  std::vector<bar> bars;
  for (const stretch_run& r : runs) {
    if (r.value == gradient_not_filled) continue;
    const double from = run_from_m(r);
    const double to = run_to_m(r);
    if (from >= sc.extent_m || !sc.shows(from, to)) continue;
    const int g = decode_gradient(r.value);
    if (!bars.empty() &&
        sc.x_of(bars.back().to) - sc.x_of(bars.back().from) < 2 &&
        bars.back().to == from) {
      bar& b = bars.back();
      b.to = to;
      if (std::abs(g) > std::abs(b.g)) b.g = g;
      b.low = std::min(b.low, g);
      b.high = std::max(b.high, g);
      ++b.count;
      continue;
    }
    bars.push_back({from, to, g, g, g, 1});
  }
  return bars;
}

std::string bar_title(const bar& b) {
  if (b.count == 1)
    return (b.g > 0 ? "+" : "") + std::to_string(b.g) + " \u2030 from " +
           km_text(b.from) + " to " + km_text(b.to);
  return std::to_string(b.count) + " gradients from " + std::to_string(b.low) +
         " to " + std::to_string(b.high) + " \u2030, " + km_text(b.from) +
         " to " + km_text(b.to) + " (zoom in)";
}

// The height the gradients add up to, relative to the line's start, at the
// ends of the runs within the stretch drawn: (metre, height) pairs.
std::vector<std::pair<double, double>> heights_along(
    const scene& sc, const std::vector<stretch_run>& runs) {
  std::vector<std::pair<double, double>> heights;
  double h = 0;
  for (const stretch_run& r : runs) {
    if (r.value == gradient_not_filled) break;
    const double from = run_from_m(r);
    const double to = std::min(run_to_m(r), sc.extent_m);
    if (from >= sc.extent_m || from > sc.to_m) break;
    const double per_m = decode_gradient(r.value) / 1000.0;
    if (to >= sc.from_m) {
      const double a = std::max(from, sc.from_m), b = std::min(to, sc.to_m);
      if (heights.empty()) heights.push_back({a, h + per_m * (a - from)});
      heights.push_back({b, h + per_m * (b - from)});
    }
    h += per_m * (to - from);
  }
  if (heights.empty()) heights.push_back({sc.from_m, 0});
  return heights;
}

// The height line over round heights, with their ticks at the right.
void draw_height(std::string& s, const scene& sc,
                 const std::vector<std::pair<double, double>>& heights) {
  const double top = sc.gradient_top;
  double low = 0, high = 0;
  for (const auto& p : heights) {
    low = std::min(low, p.second);
    high = std::max(high, p.second);
  }
  const double h_step = nice_step(std::max(high - low, 1.0), 4);
  low = std::floor(low / h_step) * h_step;
  high = std::max(std::ceil(high / h_step) * h_step, low + h_step);
  const auto y_of = [&](double v) {
    return top + gradient_h - 8 - (v - low) / (high - low) * (gradient_h - 26);
  };
  std::string d;
  for (const auto& p : heights) path_to(d, sc.x_of(p.first), y_of(p.second));
  s += "<path id=\"height\" d=\"" + d + "\" fill=\"none\" stroke=\"" +
       height_line + "\" stroke-width=\"1.6\"/>\n";
  for (double v = low; v <= high + h_step / 2; v += h_step) {
    text(s, left_w + sc.plot_w + 8, y_of(v) + 3.5, num(v) + " m", 10, "start",
         height_line);
    line(s, left_w + sc.plot_w, y_of(v), left_w + sc.plot_w + 4, y_of(v),
         height_line, 1);
  }
}

}  // namespace

void draw_gradient(std::string& s, const scene& sc) {
  open_group(s, "gradient");
  const double top = sc.gradient_top;
  draw_panel_frame(s, sc, top, gradient_h, "gradient");
  const std::vector<stretch_run> runs =
      stretch_runs(*sc.in.grid, stretch_field::gradient);
  const double range = gradient_range(runs);
  const double mid = top + gradient_h / 2;
  const double per_px = (gradient_h / 2 - 10) / range;
  draw_gradient_ticks(s, sc, range, mid, per_px);
  for (const bar& b : gradient_bars(sc, runs)) {
    const double y = mid - b.g * per_px;
    rect(s, sc.x_of(b.from), std::min(y, mid), sc.x_of(b.to) - sc.x_of(b.from),
         std::fabs(y - mid), b.g >= 0 ? uphill : downhill, bar_title(b));
  }
  draw_height(s, sc, heights_along(sc, runs));
  close_group(s);
}
