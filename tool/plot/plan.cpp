#include "tool/plot/plan.h"

#include <algorithm>
#include <cmath>

#include "tool/plot/svg_writer.h"

namespace {

// A plan point farther out than this is no track plan but a damaged value;
// it would only squash the real plan to a dot.
constexpr double plan_limit_m = 1e7;

// The metres of the profile sampled for the stretch drawn: from `first` to
// `last`, every `step`, about 1,500 points in all.
struct plan_span {
  std::int64_t first = 0, last = 0, step = 1;
};

// False when the profile or the stretch holds no metre to draw. Sets the
// line's end on the plan either way.
bool span_of(const scene& sc, const curve_table& t, plan_view& view,
             plan_span& span) {
  const std::int64_t last_metre = last_computed_metre(t);
  if (last_metre < 1) return false;
  const auto length = static_cast<std::int64_t>(line_length_m(sc.in));
  view.end_m = length > 0 && length <= last_metre ? length : last_metre;
  span.first = static_cast<std::int64_t>(std::floor(sc.from_m));
  span.last =
      sc.to_m >= sc.extent_m
          ? last_metre
          : std::min(last_metre, static_cast<std::int64_t>(std::ceil(sc.to_m)));
  if (span.last <= span.first) return false;
  span.step = std::max<std::int64_t>(1, (span.last - span.first + 1499) / 1500);
  return true;
}

// Sample metres from `first` to `last`: every `step`, plus the line's end and
// the last metre, so the drawn track ends where the data ends.
std::vector<std::int64_t> plan_metres(const plan_span& span, std::int64_t end) {
  std::vector<std::int64_t> metres;
  for (std::int64_t m = span.first; m <= span.last; m += span.step)
    metres.push_back(m);
  if (end > span.first && end <= span.last) metres.push_back(end);
  if (span.last >= span.first) metres.push_back(span.last);
  std::sort(metres.begin(), metres.end());
  metres.erase(std::unique(metres.begin(), metres.end()), metres.end());
  return metres;
}

// The angle of the chord from the stretch's first metre to its last one (or
// the line's end), 0 when either end has no point.
double chord_angle(const curve_table& t, const plan_span& span,
                   std::int64_t end_m) {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  const bool has_chord = plan_at(t, span.first, x0, y0) &&
                         plan_at(t, std::min(end_m, span.last), x1, y1);
  return has_chord && (x1 != x0 || y1 != y0) ? std::atan2(y1 - y0, x1 - x0) : 0;
}

// The sampled points turned by the chord's angle (cosine c, sine s), still in
// metres, and where each starts a new piece after metres without a point.
struct turned_plan {
  std::vector<plan_point> points;
  std::vector<bool> breaks;
};

turned_plan turn_plan(const curve_table& t,
                      const std::vector<std::int64_t>& metres, double c,
                      double s) {
  turned_plan turned;
  bool gap = true;
  for (std::int64_t m : metres) {
    double x = 0, y = 0;
    if (!plan_at(t, m, x, y)) {
      gap = true;
      continue;
    }
    turned.points.push_back({m, x * c + y * s, -x * s + y * c});
    turned.breaks.push_back(gap);
    gap = false;
  }
  return turned;
}

// Scales the turned points alike in both directions into the panel at `top`,
// centred, and returns the scale in pixels per metre; sets the panel's
// height in `used_h`.
double fit_plan(const scene& sc, const turned_plan& turned, double top,
                double height_limit, double& used_h, plan_view& view) {
  const std::vector<plan_point>& points = turned.points;
  double min_u = points[0].x, max_u = min_u, min_v = points[0].y, max_v = min_v;
  for (const plan_point& p : points) {
    min_u = std::min(min_u, p.x);
    max_u = std::max(max_u, p.x);
    min_v = std::min(min_v, p.y);
    max_v = std::max(max_v, p.y);
  }
  const double pad_x = 40, pad_y = 34;
  const double span_u = std::max(max_u - min_u, 1.0);
  const double span_v = std::max(max_v - min_v, 1.0);
  const double scale = std::min((sc.plot_w - 2 * pad_x) / span_u,
                                (height_limit - 2 * pad_y) / span_v);
  used_h = sc.in.plan_h_px > 0 ? height_limit
                               : std::max(span_v * scale + 2 * pad_y, 110.0);
  const double draw_w = span_u * scale;
  const double left = left_w + (sc.plot_w - draw_w) / 2;
  const double mid_v = (min_v + max_v) / 2;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (turned.breaks[i]) view.pieces.emplace_back();
    const plan_point& p = points[i];
    view.pieces.back().push_back({p.m, left + (p.x - min_u) * scale,
                                  top + used_h / 2 - (p.y - mid_v) * scale});
  }
  return scale;
}

plan_view make_plan(const scene& sc, double top, double height_limit,
                    double& used_h) {
  plan_view view;
  const curve_table& t = *sc.in.curves;
  plan_span span;
  if (!span_of(sc, t, view, span)) return view;
  const double angle = chord_angle(t, span, view.end_m);
  const double c = std::cos(angle), s = std::sin(angle);
  const turned_plan turned = turn_plan(t, plan_metres(span, view.end_m), c, s);
  if (turned.points.empty()) return view;
  const double scale = fit_plan(sc, turned, top, height_limit, used_h, view);
  // North, the plan's second coordinate, turned like the plan; the page's y
  // grows downwards.
  view.north_x = s;
  view.north_y = -c;
  view.metres_per_px = 1 / scale;
  return view;
}

}  // namespace

bool plan_at(const curve_table& t, std::int64_t m, double& x, double& y) {
  if (curve_tag_at(t, m, 0) == curve_tag::empty ||
      curve_tag_at(t, m, 1) == curve_tag::empty)
    return false;
  x = curve_value(t, m, 0);
  y = curve_value(t, m, 1);
  return std::isfinite(x) && std::isfinite(y) && std::fabs(x) < plan_limit_m &&
         std::fabs(y) < plan_limit_m;
}

plan_view plan_of(const scene& sc, double& plan_h) {
  plan_h = 90;
  if (sc.in.curves == nullptr) return plan_view{};
  const double limit = sc.in.plan_h_px > 0 ? sc.in.plan_h_px : plan_max_h;
  return make_plan(sc, sc.plan_top, limit, plan_h);
}

bool plan_position(const plan_view& v, double m, double& x, double& y,
                   double& dx, double& dy) {
  for (const auto& piece : v.pieces)
    for (std::size_t i = 1; i < piece.size(); ++i) {
      const plan_point& a = piece[i - 1];
      const plan_point& b = piece[i];
      if (m < static_cast<double>(a.m) || m > static_cast<double>(b.m))
        continue;
      const double f =
          (m - static_cast<double>(a.m)) /
          static_cast<double>(std::max<std::int64_t>(b.m - a.m, 1));
      x = a.x + (b.x - a.x) * f;
      y = a.y + (b.y - a.y) * f;
      const double len = std::hypot(b.x - a.x, b.y - a.y);
      dx = len > 0 ? (b.x - a.x) / len : 1;
      dy = len > 0 ? (b.y - a.y) / len : 0;
      return true;
    }
  return false;
}

std::string path_of(const std::vector<plan_point>& piece, std::int64_t from,
                    std::int64_t to) {
  std::string d;
  for (const plan_point& p : piece) {
    if (p.m < from || p.m > to) continue;
    path_to(d, p.x, p.y);
  }
  return d;
}
