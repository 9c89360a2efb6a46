#include "tool/plot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "model/compile_context.h"
#include "model/stored_values.h"
#include "output/file_format.h"
#include "platform/platform.h"
#include "run/run_sequence.h"
#include "tool/model_views.h"

namespace {

// Page geometry in pixels. The profile panels share one x scale from the
// left edge of the plot area to its right edge.
constexpr double page_w = 1200;
constexpr double left_w = 92;   // labels of the left axes
constexpr double right_w = 70;  // labels of the height axis
constexpr double plot_w = page_w - left_w - right_w;
constexpr double plan_max_h = 400;
constexpr double gradient_h = 130;
constexpr double speed_h = 130;
constexpr double strip_row_h = 18;
constexpr double panel_gap = 14;
constexpr int status_stopped = 2;
// A plan point farther out than this is no track plan but a damaged value;
// it would only squash the real plan to a dot.
constexpr double plan_limit_m = 1e7;

// Colours, chosen to stay apart for readers with red-green weakness: warm and
// cool for up and down, dark for tunnels, orange only for slowdowns.
constexpr const char* ink = "#222222";
constexpr const char* faint = "#8a8a8a";
constexpr const char* grid_line = "#e6e6e6";
constexpr const char* panel_fill = "#fafaf7";
constexpr const char* uphill = "#d9895b";
constexpr const char* downhill = "#5b8fd9";
constexpr const char* height_line = "#6b4f2a";
constexpr const char* speed_line = "#1f7a4d";
constexpr const char* slowdown_fill = "#f39c12";
constexpr const char* mountain_fill = "#c8b48f";
constexpr const char* tunnel_fill = "#3d3d3d";
constexpr const char* signal_ink = "#c0392b";
constexpr const char* marker_ink = "#8e44ad";
constexpr const char* board_ink = "#2471a3";
constexpr const char* station_ink = "#1a1a1a";

// ---------------------------------------------------------------------------
// SVG text.

// A number for an attribute: one decimal, without a trailing ".0", never in
// the locale's format (SVG wants a point).
std::string num(double v) {
  if (!std::isfinite(v) || std::fabs(v) > 1e9) v = 0;
  char buffer[32];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, v,
                               std::chars_format::fixed, 1);
  if (r.ec != std::errc()) return "0";
  std::string text(buffer, r.ptr);
  if (text.size() > 2 && text.compare(text.size() - 2, 2, ".0") == 0)
    text.resize(text.size() - 2);
  if (text == "-0") text = "0";
  return text;
}

// Labels are single bytes of the sources' code page; XML wants UTF-8 with its
// five special characters escaped and no control characters at all, not even
// as references.
std::string xml_text(std::string_view label) {
  std::string text;
  for (char ch : label_utf8(label)) {
    switch (ch) {
      case '&':
        text += "&amp;";
        break;
      case '<':
        text += "&lt;";
        break;
      case '>':
        text += "&gt;";
        break;
      case '"':
        text += "&quot;";
        break;
      case '\'':
        text += "&apos;";
        break;
      default:
        text += static_cast<unsigned char>(ch) < 0x20 ? '?' : ch;
    }
  }
  return text;
}

std::string km_text(double m) {
  char buffer[32];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, m / 1000.0,
                               std::chars_format::fixed, 2);
  return r.ec == std::errc() ? std::string(buffer, r.ptr) + " km" : "? km";
}

std::string hms(std::int32_t seconds) {
  if (seconds < 0) return "-";
  const auto two = [](std::int64_t v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
  };
  const time_parts t = decode_time_of_day(seconds);
  return two(t.hours) + ":" + two(t.minutes) + ":" + two(t.seconds);
}

void line(std::string& s, double x1, double y1, double x2, double y2,
          const char* stroke, double width, const char* extra = "") {
  s += "<line x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) +
       "\" y2=\"" + num(y2) + "\" stroke=\"" + stroke + "\" stroke-width=\"" +
       num(width) + "\"" + extra + "/>\n";
}

void rect(std::string& s, double x, double y, double w, double h,
          const char* fill, const std::string& title = "",
          const char* extra = "") {
  s += "<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" +
       num(std::max(w, 0.0)) + "\" height=\"" + num(std::max(h, 0.0)) +
       "\" fill=\"" + fill + "\"" + extra;
  if (title.empty()) {
    s += "/>\n";
  } else {
    s += "><title>" + title + "</title></rect>\n";
  }
}

// `anchor` is start, middle or end; `extra` adds attributes.
void text(std::string& s, double x, double y, const std::string& content,
          double size, const char* anchor = "start", const char* fill = ink,
          const std::string& extra = "") {
  s += "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" font-size=\"" +
       num(size) + "\" text-anchor=\"" + anchor + "\" fill=\"" + fill + "\"" +
       extra + ">" + content + "</text>\n";
}

// A white outline drawn under a label's letters, so a label that crosses a
// line stays readable.
constexpr const char* halo =
    " stroke=\"#ffffff\" stroke-width=\"3\" stroke-linejoin=\"round\" "
    "paint-order=\"stroke\"";

void open_group(std::string& s, const char* id) {
  s += "<g id=\"" + std::string(id) + "\">\n";
}
void close_group(std::string& s) { s += "</g>\n"; }

// Ticks at 1, 2 or 5 times a power of ten, about `wanted` of them over span.
double nice_step(double span, int wanted) {
  if (!(span > 0)) return 1;
  const double raw = span / wanted;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double f : {1.0, 2.0, 5.0})
    if (raw <= f * power) return f * power;
  return 10 * power;
}

// Rough width of a label in the sans-serif face at `size` px, enough to keep
// labels from running into each other.
double label_w(std::string_view label, double size) {
  return static_cast<double>(label.size()) * size * 0.58;
}

struct box {
  double x0, y0, x1, y1;
  bool overlaps(const box& o) const {
    return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1;
  }
};

bool free_of(const std::vector<box>& taken, const box& b) {
  return std::none_of(taken.begin(), taken.end(),
                      [&](const box& t) { return t.overlaps(b); });
}

// ---------------------------------------------------------------------------
// What is drawn.

struct station {
  int slot = 0;
  int kind = 0;
  double at_m = 0, from_m = 0, to_m = 0;
  std::string name;        // XML text
  std::string short_name;  // XML text, cut to fit the stations strip
  std::int32_t time_s = 0;
};

// Stations of kind 25 and above have a timetable entry but no marker cell.
bool has_track_marker(const station& st) {
  return station_has_marker(static_cast<std::uint8_t>(st.kind));
}

std::string short_label(const std::string& label) {
  constexpr std::size_t longest = 28;
  if (label.size() <= longest) return xml_text(label);
  return xml_text(label.substr(0, longest - 2)) + "\u2026";
}

struct point_feature {
  std::size_t cell = 0;
  double at_m = 0;  // a point feature of cell k stands at (k - 1) x 50 m
  track_cell c;
};

struct slowdown {
  double from_m = 0, to_m = 0;
  int speed = 0;
};

struct scene {
  const plot_input& in;
  explicit scene(const plot_input& input) : in(input) {}

  double extent_m = 0;  // the kilometre axis runs from 0 to here
  std::vector<station> stations;
  std::vector<point_feature> points;
  std::vector<slowdown> slowdowns;

  double plan_top = 0, plan_h = 0;
  double stations_top = 0, stations_h = 0;
  bool rotated_names = false;
  double gradient_top = 0, speed_top = 0, strip_top = 0, strip_h = 0;
  double axis_top = 0, legend_top = 0, page_h = 0;
  double speed_range = 40;  // km/h at the top of the speed panel

  double speed_y(double kmh) const {
    return speed_top + speed_h - 6 -
           std::clamp(kmh, 0.0, speed_range) / speed_range * (speed_h - 24);
  }

  double x_of(double m) const {
    return left_w + std::clamp(m, 0.0, extent_m) / extent_m * plot_w;
  }
  double profiles_top() const { return gradient_top; }
  double profiles_bottom() const { return strip_top + strip_h; }
};

double line_length_m(const plot_input& in) {
  return in.table->slots[slot_train_line_data].to_m;
}

void collect(scene& sc) {
  const line_table& table = *sc.in.table;
  for (int slot = 1; slot <= first_board_slot; ++slot) {
    const line_record& r = table.slots[static_cast<std::size_t>(slot)];
    if (!slot_used(r) || role_of_slot(slot, r) != slot_role::station) continue;
    sc.stations.push_back({slot, r.kind, static_cast<double>(r.at_m),
                           static_cast<double>(r.from_m),
                           static_cast<double>(r.to_m), xml_text(r.label),
                           short_label(r.label), r.time_s});
  }
  // A slowdown runs from its start cell to the first end cell after it that
  // no earlier start has taken; a start left without one (its end fell into
  // its own cell) is one cell long. One pass, so a damaged file full of
  // starts costs no more than a clean one.
  const std::vector<track_cell>& cells = sc.in.grid->cells;
  const auto at_of = [](std::size_t i) {
    return (static_cast<double>(i) - 1) * cell_length_m;
  };
  std::vector<std::size_t> open;  // starts waiting for their end, in order
  std::size_t oldest = 0;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const track_cell& c = cells[i];
    if (c.kind != kind_plain && c.kind != kind_tunnel_marker)
      sc.points.push_back({i, at_of(i), c});
    if (c.kind == kind_slowdown_start) open.push_back(i);
    if (c.kind == kind_slowdown_end && oldest < open.size()) {
      const std::size_t start = open[oldest++];
      sc.slowdowns.push_back({at_of(start), at_of(i), cells[start].value1});
    }
  }
  for (; oldest < open.size(); ++oldest)
    sc.slowdowns.push_back(
        {at_of(open[oldest]), at_of(open[oldest]), cells[open[oldest]].value1});
}

// ---------------------------------------------------------------------------
// The plan.

struct plan_point {
  std::int64_t m;
  double x, y;  // page pixels
};

struct plan_view {
  std::vector<std::vector<plan_point>> pieces;  // broken where entries lack
  double north_x = 0, north_y = -1;             // page direction of north
  double metres_per_px = 0;
  std::int64_t end_m = -1;  // the line's end on the plan
};

bool plan_at(const curve_table& t, std::int64_t m, double& x, double& y) {
  if (curve_tag_at(t, m, 0) == curve_tag::empty ||
      curve_tag_at(t, m, 1) == curve_tag::empty)
    return false;
  x = curve_value(t, m, 0);
  y = curve_value(t, m, 1);
  return std::isfinite(x) && std::isfinite(y) && std::fabs(x) < plan_limit_m &&
         std::fabs(y) < plan_limit_m;
}

// Sample metres: every `step`, plus the line's end and the plan's last metre,
// so the drawn track ends where the data ends.
std::vector<std::int64_t> plan_metres(std::int64_t last, std::int64_t step,
                                      std::int64_t end) {
  std::vector<std::int64_t> metres;
  for (std::int64_t m = 0; m <= last; m += step) metres.push_back(m);
  if (end > 0 && end <= last) metres.push_back(end);
  if (last >= 0) metres.push_back(last);
  std::sort(metres.begin(), metres.end());
  metres.erase(std::unique(metres.begin(), metres.end()), metres.end());
  return metres;
}

// The plan turned so that the chord from the start to the line's end runs
// left to right, then scaled alike in both directions to fit the panel.
plan_view make_plan(const scene& sc, double top, double height_limit,
                    double& used_h) {
  plan_view view;
  const curve_table& t = *sc.in.curves;
  const std::int64_t last = last_computed_metre(t);
  if (last < 1) return view;
  const auto length = static_cast<std::int64_t>(line_length_m(sc.in));
  view.end_m = length > 0 && length <= last ? length : last;
  const std::int64_t step = std::max<std::int64_t>(1, (last + 1499) / 1500);

  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  const bool has_chord =
      plan_at(t, 0, x0, y0) && plan_at(t, view.end_m, x1, y1);
  const double angle =
      has_chord && (x1 != x0 || y1 != y0) ? std::atan2(y1 - y0, x1 - x0) : 0;
  const double c = std::cos(angle), s = std::sin(angle);

  std::vector<plan_point> turned;
  std::vector<bool> breaks;
  bool gap = true;
  for (std::int64_t m : plan_metres(last, step, view.end_m)) {
    double x = 0, y = 0;
    if (!plan_at(t, m, x, y)) {
      gap = true;
      continue;
    }
    turned.push_back({m, x * c + y * s, -x * s + y * c});
    breaks.push_back(gap);
    gap = false;
  }
  if (turned.empty()) return view;
  double min_u = turned[0].x, max_u = min_u, min_v = turned[0].y, max_v = min_v;
  for (const plan_point& p : turned) {
    min_u = std::min(min_u, p.x);
    max_u = std::max(max_u, p.x);
    min_v = std::min(min_v, p.y);
    max_v = std::max(max_v, p.y);
  }
  const double pad_x = 40, pad_y = 34;
  const double span_u = std::max(max_u - min_u, 1.0);
  const double span_v = std::max(max_v - min_v, 1.0);
  const double scale = std::min((plot_w - 2 * pad_x) / span_u,
                                (height_limit - 2 * pad_y) / span_v);
  used_h = std::max(span_v * scale + 2 * pad_y, 110.0);
  const double draw_w = span_u * scale;
  const double left = left_w + (plot_w - draw_w) / 2;
  const double mid_v = (min_v + max_v) / 2;
  for (std::size_t i = 0; i < turned.size(); ++i) {
    if (breaks[i]) view.pieces.emplace_back();
    const plan_point& p = turned[i];
    view.pieces.back().push_back({p.m, left + (p.x - min_u) * scale,
                                  top + used_h / 2 - (p.y - mid_v) * scale});
  }
  // North, the plan's second coordinate, turned like the plan; the page's y
  // grows downwards.
  view.north_x = s;
  view.north_y = -c;
  view.metres_per_px = 1 / scale;
  return view;
}

// The page position of metre m, from the two sampled points around it.
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
    d += (d.empty() ? "M" : " L") + num(p.x) + " " + num(p.y);
  }
  return d;
}

void draw_north_and_scale(std::string& s, const scene& sc, const plan_view& v) {
  const double cx = left_w + plot_w - 30, cy = sc.plan_top + 34;
  const double tip_x = cx + v.north_x * 16, tip_y = cy + v.north_y * 16;
  const double tail_x = cx - v.north_x * 12, tail_y = cy - v.north_y * 12;
  s += "<g id=\"north\">\n";
  line(s, tail_x, tail_y, tip_x, tip_y, ink, 1.6);
  s += "<circle cx=\"" + num(tip_x) + "\" cy=\"" + num(tip_y) +
       "\" r=\"2.5\" fill=\"" + ink + "\"/>\n";
  text(s, tip_x + v.north_x * 10, tip_y + v.north_y * 10 + 4, "N", 11,
       "middle");
  close_group(s);
  // A scale bar of a round length of about 120 px.
  const double bar_m = nice_step(120 * v.metres_per_px, 1);
  const double bar_px = bar_m / v.metres_per_px;
  const double bx = left_w + 14, by = sc.plan_top + sc.plan_h - 14;
  s += "<g id=\"scale-bar\">\n";
  line(s, bx, by, bx + bar_px, by, ink, 2);
  line(s, bx, by - 4, bx, by + 1, ink, 1);
  line(s, bx + bar_px, by - 4, bx + bar_px, by + 1, ink, 1);
  text(s, bx + bar_px + 6, by + 4,
       bar_m >= 1000 ? num(bar_m / 1000) + " km" : num(bar_m) + " m", 10);
  close_group(s);
}

void draw_plan(std::string& s, scene& sc, const plan_view& v) {
  open_group(s, "plan");
  rect(s, left_w, sc.plan_top, plot_w, sc.plan_h, panel_fill, "",
       " stroke=\"#dddddd\" rx=\"4\"");
  text(s, left_w + 10, sc.plan_top + 18, "track plan", 12, "start", faint,
       " font-weight=\"bold\"");
  if (v.pieces.empty()) {
    text(s, left_w + plot_w / 2, sc.plan_top + sc.plan_h / 2,
         "no line profile: the scenario was compiled without the track plan",
         13, "middle", faint);
    close_group(s);
    return;
  }
  std::string track, run_out;
  for (const auto& piece : v.pieces) {
    track += path_of(piece, 0, v.end_m) + " ";
    run_out += path_of(piece, v.end_m, INT64_MAX) + " ";
  }
  s += "<path id=\"plan-run-out\" d=\"" + run_out +
       "\" fill=\"none\" stroke=\"" + faint +
       "\" stroke-width=\"1.5\" stroke-dasharray=\"4 3\"/>\n";
  s += "<path id=\"plan-track\" d=\"" + track + "\" fill=\"none\" stroke=\"" +
       ink + "\" stroke-width=\"2.4\" stroke-linejoin=\"round\"/>\n";

  std::vector<box> taken;
  // Kilometre posts, beside the track on its right-hand side.
  const double post_m = nice_step(static_cast<double>(v.end_m), 10);
  s += "<g id=\"plan-kilometres\">\n";
  for (double m = post_m; m < static_cast<double>(v.end_m); m += post_m) {
    double x, y, dx, dy;
    if (!plan_position(v, m, x, y, dx, dy)) continue;
    const double nx = -dy, ny = dx;
    line(s, x - nx * 4, y - ny * 4, x + nx * 4, y + ny * 4, faint, 1.2);
    const std::string label = num(m / 1000);
    const double lx = x + nx * 13, ly = y + ny * 13 + 3.5;
    text(s, lx, ly, label, 9, "middle", faint);
    taken.push_back({lx - 8, ly - 9, lx + 8, ly + 2});
  }
  close_group(s);
  s += "<g id=\"plan-stations\">\n";
  for (const station& st : sc.stations) {
    double x, y, dx, dy;
    if (!plan_position(v, st.at_m, x, y, dx, dy)) continue;
    s += "<circle cx=\"" + num(x) + "\" cy=\"" + num(y) +
         "\" r=\"3.6\" fill=\"" +
         (has_track_marker(st) ? station_ink : "#ffffff") + "\" stroke=\"" +
         station_ink + "\" stroke-width=\"1.5\"><title>" + st.name + ", " +
         km_text(st.at_m) + "</title></circle>\n";
    taken.push_back({x - 4, y - 4, x + 4, y + 4});
  }
  // Names where they fit, trying the places around each station in turn;
  // a name that fits nowhere is left to the station's tooltip.
  for (const station& st : sc.stations) {
    double x, y, dx, dy;
    if (!plan_position(v, st.at_m, x, y, dx, dy)) continue;
    const double w = label_w(st.name, 10);
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
      if (b.x0 < left_w + 2 || b.x1 > left_w + plot_w - 2 ||
          b.y0 < sc.plan_top + 22 || b.y1 > sc.plan_top + sc.plan_h - 2 ||
          !free_of(taken, b))
        continue;
      text(s, lx, ly, st.name, 10, k.anchor, station_ink, halo);
      taken.push_back(b);
      break;
    }
  }
  close_group(s);
  draw_north_and_scale(s, sc, v);
  close_group(s);
}

// ---------------------------------------------------------------------------
// The profile panels.

void draw_panel_frame(std::string& s, const scene& sc, double top, double h,
                      const char* title) {
  rect(s, left_w, top, plot_w, h, panel_fill, "", " stroke=\"#dddddd\"");
  const double step_m = nice_step(sc.extent_m, 12);
  for (double m = step_m; m < sc.extent_m; m += step_m)
    line(s, sc.x_of(m), top, sc.x_of(m), top + h, grid_line, 1);
  text(s, left_w + 8, top + 15, title, 12, "start", faint,
       " font-weight=\"bold\"");
}

void draw_station_guides(std::string& s, const scene& sc) {
  s += "<g id=\"station-guides\">\n";
  for (const station& st : sc.stations)
    line(s, sc.x_of(st.at_m), sc.profiles_top(), sc.x_of(st.at_m),
         sc.profiles_bottom(), "#b8b8b8", 0.8, " stroke-dasharray=\"2 3\"");
  close_group(s);
}

void draw_stations(std::string& s, const scene& sc) {
  open_group(s, "stations");
  const double base = sc.stations_top + sc.stations_h - 12;
  line(s, left_w, base + 4, left_w + plot_w, base + 4, "#cccccc", 1);
  text(s, left_w - 8, base + 4, "stations", 11, "end", faint);
  for (const station& st : sc.stations) {
    const double x = sc.x_of(st.at_m);
    // The platform, from the station's extent.
    rect(s, sc.x_of(st.from_m), base + 2,
         std::max(sc.x_of(st.to_m) - sc.x_of(st.from_m), 1.5), 4, "#9aa5b1");
    s += "<path d=\"M" + num(x - 4.5) + " " + num(base - 5) + " L" +
         num(x + 4.5) + " " + num(base - 5) + " L" + num(x) + " " +
         num(base + 2) + " Z\" fill=\"" +
         (has_track_marker(st) ? station_ink : "#ffffff") + "\" stroke=\"" +
         station_ink + "\" stroke-width=\"1\"><title>" + st.name + ", " +
         km_text(st.at_m) + ", " + hms(st.time_s) + ", kind " +
         std::to_string(st.kind) + ", slot " + std::to_string(st.slot) +
         "</title></path>\n";
    const double ly = base - 9;
    const std::string rotate =
        sc.rotated_names
            ? " transform=\"rotate(-50 " + num(x + 1) + " " + num(ly) + ")\""
            : "";
    text(s, x + 1, ly, st.short_name, 10.5,
         sc.rotated_names ? "start" : "middle", station_ink, rotate);
  }
  close_group(s);
}

void draw_gradient(std::string& s, const scene& sc) {
  open_group(s, "gradient");
  const double top = sc.gradient_top;
  draw_panel_frame(s, sc, top, gradient_h, "gradient");
  const std::vector<stretch_run> runs =
      stretch_runs(*sc.in.grid, stretch_field::gradient);
  int steepest = 0;
  for (const stretch_run& r : runs)
    if (r.value != gradient_not_filled)
      steepest = std::max(steepest, std::abs(decode_gradient(r.value)));
  const double range = std::max(10.0, std::ceil(steepest / 10.0) * 10);
  const double mid = top + gradient_h / 2;
  const double per_px = (gradient_h / 2 - 10) / range;
  for (double g : {-range, -range / 2, 0.0, range / 2, range}) {
    const double y = mid - g * per_px;
    text(s, left_w - 8, y + 3.5, num(g) + " \u2030", 10, "end", faint);
    line(s, left_w - 4, y, left_w, y, faint, 1);
  }
  line(s, left_w, mid, left_w + plot_w, mid, "#9a9a9a", 1);
  // Cells never given a gradient (0) at the far end are left blank.
  for (const stretch_run& r : runs) {
    if (r.value == gradient_not_filled) continue;
    const double from = static_cast<double>(r.first) * cell_length_m;
    const double to = static_cast<double>(r.last + 1) * cell_length_m;
    if (from >= sc.extent_m) continue;
    const int g = decode_gradient(r.value);
    const double y = mid - g * per_px;
    rect(s, sc.x_of(from), std::min(y, mid), sc.x_of(to) - sc.x_of(from),
         std::fabs(y - mid), g >= 0 ? uphill : downhill,
         (g > 0 ? "+" : "") + std::to_string(g) + " \u2030 from " +
             km_text(from) + " to " + km_text(to));
  }
  // The height the gradients add up to, relative to the start.
  std::vector<std::pair<double, double>> heights = {{0, 0}};
  double h = 0;
  for (const stretch_run& r : runs) {
    if (r.value == gradient_not_filled) break;
    const double from = static_cast<double>(r.first) * cell_length_m;
    const double to = static_cast<double>(r.last + 1) * cell_length_m;
    if (from >= sc.extent_m) break;
    h += decode_gradient(r.value) / 1000.0 * (std::min(to, sc.extent_m) - from);
    heights.push_back({std::min(to, sc.extent_m), h});
  }
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
  for (const auto& p : heights)
    d += (d.empty() ? "M" : " L") + num(sc.x_of(p.first)) + " " +
         num(y_of(p.second));
  s += "<path id=\"height\" d=\"" + d + "\" fill=\"none\" stroke=\"" +
       height_line + "\" stroke-width=\"1.6\"/>\n";
  for (double v = low; v <= high + h_step / 2; v += h_step) {
    text(s, left_w + plot_w + 8, y_of(v) + 3.5, num(v) + " m", 10, "start",
         height_line);
    line(s, left_w + plot_w, y_of(v), left_w + plot_w + 4, y_of(v), height_line,
         1);
  }
  close_group(s);
}

int board_speed(const track_cell& c) {
  speed_board_parts b;
  return unpack_speed_board(c, b) ? b.first_kmh[0] : 0;
}

void draw_speed(std::string& s, scene& sc) {
  const double top = sc.speed_top;
  const std::vector<stretch_run> runs =
      stretch_runs(*sc.in.grid, stretch_field::speed_limit);
  int fastest = 0;
  for (const stretch_run& r : runs)
    fastest = std::max(fastest, decode_speed_units(r.value));
  for (const point_feature& p : sc.points)
    if (p.c.kind == kind_speed_board)
      fastest = std::max(fastest, board_speed(p.c));
  for (const slowdown& sd : sc.slowdowns) fastest = std::max(fastest, sd.speed);
  // Some room above the fastest speed, up to a whole tick.
  const double tick = nice_step(fastest + 10.0, 4);
  sc.speed_range = std::max(40.0, std::ceil((fastest + 10) / tick) * tick);
  const auto y_of = [&](double v) { return sc.speed_y(v); };

  open_group(s, "speed");
  draw_panel_frame(s, sc, top, speed_h, "line speed limit");
  for (double v = 0; v <= sc.speed_range + tick / 2; v += tick) {
    text(s, left_w - 8, y_of(v) + 3.5, num(v) + " km/h", 10, "end", faint);
    line(s, left_w - 4, y_of(v), left_w, y_of(v), faint, 1);
  }
  std::string d;
  for (const stretch_run& r : runs) {
    const double from = static_cast<double>(r.first) * cell_length_m;
    if (from >= sc.extent_m) break;
    const double to =
        std::min(static_cast<double>(r.last + 1) * cell_length_m, sc.extent_m);
    const double y = y_of(decode_speed_units(r.value));
    d += (d.empty() ? "M" : " L") + num(sc.x_of(from)) + " " + num(y) + " L" +
         num(sc.x_of(to)) + " " + num(y);
  }
  s += "<path id=\"speed-limit\" d=\"" + d + "\" fill=\"none\" stroke=\"" +
       speed_line + "\" stroke-width=\"2\"/>\n";
  close_group(s);

  open_group(s, "speed-boards");
  std::vector<box> taken;
  for (const point_feature& p : sc.points) {
    if (p.c.kind != kind_speed_board || p.at_m > sc.extent_m) continue;
    speed_board_parts b;
    const bool known = unpack_speed_board(p.c, b);
    const double x = sc.x_of(p.at_m), y = y_of(known ? b.first_kmh[0] : 0);
    const std::string title =
        "speed board at " + km_text(p.at_m) + ": " +
        (known ? std::to_string(b.first_kmh[0]) + "/" +
                     std::to_string(b.first_kmh[1]) + "/" +
                     std::to_string(b.first_kmh[2]) + " km/h"
               : "values " + std::to_string(p.c.value1) + "/" +
                     std::to_string(p.c.value2) + "/" +
                     std::to_string(p.c.value3));
    rect(s, x - 3.5, y - 3.5, 7, 7, "#ffffff", title,
         " stroke=\"#1f7a4d\" stroke-width=\"1.4\"");
    if (!known) continue;
    const std::string label = std::to_string(b.first_kmh[0]);
    const box bb{x - 9, y - 17, x + 9, y - 6};
    if (!free_of(taken, bb)) continue;
    text(s, x, y - 7, label, 9.5, "middle", speed_line, halo);
    taken.push_back(bb);
  }
  close_group(s);
}

void draw_slowdowns(std::string& s, const scene& sc) {
  open_group(s, "slowdowns");
  for (const slowdown& sd : sc.slowdowns) {
    const double x0 = sc.x_of(std::min(sd.from_m, sd.to_m));
    const double x1 = sc.x_of(std::max(sd.from_m, sd.to_m));
    const double w = std::max(x1 - x0, 2.0);
    rect(s, x0, sc.profiles_top(), w, sc.profiles_bottom() - sc.profiles_top(),
         slowdown_fill,
         "slowdown " + std::to_string(sd.speed) + " km/h from " +
             km_text(sd.from_m) + " to " + km_text(sd.to_m),
         " fill-opacity=\"0.22\"");
    // The restricted speed, over the line speed limit it lowers.
    const double y = sc.speed_y(sd.speed);
    line(s, x0, y, x0 + w, y, "#d35400", 2.2);
    text(s, x0 + w / 2, y - 5, std::to_string(sd.speed), 10, "middle",
         "#b9770e", std::string(" font-weight=\"bold\"") + halo);
  }
  close_group(s);
}

std::string signal_title(const point_feature& p) {
  std::string t = "signal at " + km_text(p.at_m) + ", cell " +
                  std::to_string(p.cell) + ": values " +
                  std::to_string(p.c.value1) + " " +
                  std::to_string(p.c.value2) + " " +
                  std::to_string(p.c.value3) + " " + std::to_string(p.c.value4);
  signal_parts sp;
  if (unpack_signal(p.c, sp))
    t +=
        " (sx " + std::to_string(sp.sx) + ", dx " + std::to_string(sp.dx) + ")";
  if (p.c.timer != 0) t += ", timer " + std::to_string(p.c.timer);
  return t;
}

void draw_strip(std::string& s, const scene& sc) {
  const double top = sc.strip_top;
  const double rows[] = {top + 4, top + 4 + strip_row_h,
                         top + 4 + 2 * strip_row_h};
  rect(s, left_w, top, plot_w, sc.strip_h, panel_fill, "",
       " stroke=\"#dddddd\"");
  const char* names[] = {"mountains", "signals", "boards"};
  for (int i = 0; i < 3; ++i)
    text(s, left_w - 8, rows[i] + 11, names[i], 11, "end", faint);

  open_group(s, "mountains");
  for (const stretch_run& r :
       stretch_runs(*sc.in.grid, stretch_field::mountain)) {
    const double from = static_cast<double>(r.first) * cell_length_m;
    const double to = static_cast<double>(r.last + 1) * cell_length_m;
    if (r.value == 0 || from >= sc.extent_m) continue;
    const std::string what = (r.tunnel ? "tunnel, type " : "mountain, type ") +
                             std::to_string(r.value) + ", " + km_text(from) +
                             " to " + km_text(to);
    const double x0 = sc.x_of(from), w = sc.x_of(to) - x0;
    rect(s, x0, rows[0] + 1, w, strip_row_h - 6,
         r.tunnel ? tunnel_fill : mountain_fill, what,
         r.tunnel ? " class=\"tunnel\"" : " class=\"mountain\"");
    if (r.tunnel && w > 50)
      text(s, x0 + w / 2, rows[0] + 10.5, "tunnel", 9, "middle", "#ffffff");
  }
  close_group(s);

  open_group(s, "signals");
  for (const point_feature& p : sc.points) {
    if (p.at_m > sc.extent_m) continue;
    const double x = sc.x_of(p.at_m);
    if (p.c.kind == kind_signal) {
      s += "<line x1=\"" + num(x) + "\" y1=\"" + num(rows[1]) + "\" x2=\"" +
           num(x) + "\" y2=\"" + num(rows[1] + 13) + "\" stroke=\"" +
           signal_ink + "\" stroke-width=\"1.6\"><title>" + signal_title(p) +
           "</title></line>\n";
    } else if (p.c.kind == kind_code_marker ||
               p.c.kind == kind_zero_code_marker) {
      const std::string title =
          std::string(cell_kind_name(p.c.kind)) + " at " + km_text(p.at_m) +
          (p.c.kind == kind_code_marker ? ", code " + std::to_string(p.c.value1)
                                        : std::string());
      s += "<circle cx=\"" + num(x) + "\" cy=\"" + num(rows[1] + 10) +
           "\" r=\"2.4\" fill=\"" + marker_ink + "\"><title>" + title +
           "</title></circle>\n";
    }
  }
  close_group(s);

  open_group(s, "boards");
  const line_table& table = *sc.in.table;
  for (const point_feature& p : sc.points) {
    if (p.at_m > sc.extent_m) continue;
    const double x = sc.x_of(p.at_m), y = rows[2] + 2;
    if (p.c.kind == kind_text_board) {
      const line_record* r = slot_at(table, p.c.value1);
      rect(s, x - 3, y, 6, 9, board_ink,
           "board at " + km_text(p.at_m) + ": " +
               (r != nullptr ? xml_text(r->label) : std::string("(no slot)")),
           " class=\"text-board\"");
    } else if (p.c.kind == kind_warning_board || p.c.kind == kind_pre_warning) {
      const double r = p.c.kind == kind_warning_board ? 5 : 3;
      s += "<path d=\"M" + num(x) + " " + num(y) + " L" + num(x + r) + " " +
           num(y + 2 * r) + " L" + num(x - r) + " " + num(y + 2 * r) +
           " Z\" fill=\"" + slowdown_fill + "\"><title>" +
           cell_kind_name(p.c.kind) + " at " + km_text(p.at_m) +
           "</title></path>\n";
    }
  }
  close_group(s);
}

void draw_axis(std::string& s, const scene& sc) {
  open_group(s, "axis");
  const double y = sc.axis_top;
  line(s, left_w, y, left_w + plot_w, y, ink, 1);
  const double step_m = nice_step(sc.extent_m, 12);
  for (double m = 0; m <= sc.extent_m + 0.5; m += step_m) {
    line(s, sc.x_of(m), y, sc.x_of(m), y + 5, ink, 1);
    text(s, sc.x_of(m), y + 17, num(m / 1000), 10.5, "middle");
  }
  const double minor = step_m / 2;
  for (double m = minor; m < sc.extent_m; m += step_m)
    line(s, sc.x_of(m), y, sc.x_of(m), y + 3, ink, 0.8);
  text(s, left_w + plot_w + 8, y + 17, "km", 11, "start", ink,
       " font-weight=\"bold\"");
  close_group(s);
}

void draw_legend(std::string& s, const scene& sc) {
  open_group(s, "legend");
  enum class swatch {
    line,
    dashed,
    bar,
    band,
    tick,
    square,
    triangle,
    triangle_up,
    dot
  };
  const struct {
    swatch shape;
    const char* colour;
    const char* label;
  } items[] = {
      {swatch::line, ink, "track plan"},
      {swatch::dashed, faint, "run-out past the line's end"},
      {swatch::triangle, station_ink, "station (hollow: no track marker)"},
      {swatch::bar, uphill, "uphill"},
      {swatch::bar, downhill, "downhill"},
      {swatch::line, height_line, "height from the gradients"},
      {swatch::line, speed_line, "line speed limit"},
      {swatch::square, speed_line, "speed board (first speed)"},
      {swatch::band, slowdown_fill, "slowdown"},
      {swatch::bar, mountain_fill, "mountain"},
      {swatch::bar, tunnel_fill, "tunnel"},
      {swatch::tick, signal_ink, "signal"},
      {swatch::dot, marker_ink, "code marker"},
      {swatch::bar, board_ink, "board with text"},
      {swatch::triangle_up, slowdown_fill, "slowdown warning"},
  };
  double x = left_w, y = sc.legend_top + 10;
  for (const auto& item : items) {
    const double w = 26 + label_w(item.label, 11) + 18;
    if (x + w > left_w + plot_w) {
      x = left_w;
      y += 20;
    }
    switch (item.shape) {
      case swatch::line:
        line(s, x, y, x + 20, y, item.colour, 2.2);
        break;
      case swatch::dashed:
        line(s, x, y, x + 20, y, item.colour, 1.5, " stroke-dasharray=\"4 3\"");
        break;
      case swatch::bar:
        rect(s, x, y - 5, 20, 10, item.colour);
        break;
      case swatch::band:
        rect(s, x, y - 7, 20, 14, item.colour, "", " fill-opacity=\"0.3\"");
        break;
      case swatch::tick:
        line(s, x + 10, y - 7, x + 10, y + 7, item.colour, 1.8);
        break;
      case swatch::square:
        rect(s, x + 6.5, y - 3.5, 7, 7, "#ffffff", "",
             " stroke=\"#1f7a4d\" stroke-width=\"1.4\"");
        break;
      case swatch::triangle:
        s += "<path d=\"M" + num(x + 5) + " " + num(y - 5) + " L" +
             num(x + 15) + " " + num(y - 5) + " L" + num(x + 10) + " " +
             num(y + 5) + " Z\" fill=\"" + item.colour + "\"/>\n";
        break;
      case swatch::triangle_up:
        s += "<path d=\"M" + num(x + 10) + " " + num(y - 6) + " L" +
             num(x + 15) + " " + num(y + 4) + " L" + num(x + 5) + " " +
             num(y + 4) + " Z\" fill=\"" + item.colour + "\"/>\n";
        break;
      case swatch::dot:
        s += "<circle cx=\"" + num(x + 10) + "\" cy=\"" + num(y) +
             "\" r=\"3\" fill=\"" + item.colour + "\"/>\n";
        break;
    }
    text(s, x + 26, y + 4, item.label, 11);
    x += w;
  }
  close_group(s);
}

void draw_title(std::string& s, const scene& sc) {
  int signals = 0, boards = 0, texts = 0;
  for (const point_feature& p : sc.points) {
    signals += p.c.kind == kind_signal;
    boards += p.c.kind == kind_speed_board;
    texts += p.c.kind == kind_text_board;
  }
  text(s, left_w, 32,
       xml_text(sc.in.scenario_name) + " \u00b7 " + xml_text(sc.in.train_name),
       20, "start", ink, " font-weight=\"bold\"");
  const std::string facts = "line " + km_text(line_length_m(sc.in)) +
                            " \u00b7 " + std::to_string(sc.stations.size()) +
                            " stations \u00b7 " + std::to_string(signals) +
                            " signals \u00b7 " + std::to_string(boards) +
                            " speed boards \u00b7 " + std::to_string(texts) +
                            " boards with text \u00b7 " +
                            std::to_string(sc.slowdowns.size()) + " slowdowns";
  text(s, left_w, 52, facts, 12, "start", faint);
}

// Station names stand upright while they fit between their neighbours and
// are turned when the stations crowd.
bool names_crowd(const scene& sc) {
  for (std::size_t i = 1; i < sc.stations.size(); ++i) {
    const double gap = std::fabs(sc.x_of(sc.stations[i].at_m) -
                                 sc.x_of(sc.stations[i - 1].at_m));
    const double need = (label_w(sc.stations[i].short_name, 10.5) +
                         label_w(sc.stations[i - 1].short_name, 10.5)) /
                            2 +
                        6;
    if (gap < need) return true;
  }
  return false;
}

void lay_out(scene& sc, plan_view& plan) {
  sc.plan_top = 66;
  double plan_h = 90;
  if (sc.in.curves != nullptr)
    plan = make_plan(sc, sc.plan_top, plan_max_h, plan_h);
  sc.plan_h = plan_h;
  sc.rotated_names = names_crowd(sc);
  double longest = 0;
  for (const station& st : sc.stations)
    longest = std::max(longest, label_w(st.short_name, 10.5));
  sc.stations_top = sc.plan_top + sc.plan_h + panel_gap;
  sc.stations_h = sc.rotated_names ? std::min(longest * 0.77, 180.0) + 30 : 40;
  sc.gradient_top = sc.stations_top + sc.stations_h + 4;
  sc.speed_top = sc.gradient_top + gradient_h + panel_gap;
  sc.strip_top = sc.speed_top + speed_h + panel_gap;
  sc.strip_h = 3 * strip_row_h + 8;
  sc.axis_top = sc.strip_top + sc.strip_h + 6;
  sc.legend_top = sc.axis_top + 36;
  sc.page_h = sc.legend_top + 70;
}

}  // namespace

std::string plot_svg(const plot_input& in) {
  scene sc(in);
  const double grid_m =
      static_cast<double>(in.grid->cells.size()) * cell_length_m;
  const double length = line_length_m(in);
  sc.extent_m = length > 0 && length <= grid_m ? length : grid_m;
  sc.extent_m = std::max(sc.extent_m, static_cast<double>(cell_length_m));
  collect(sc);
  plan_view plan;
  lay_out(sc, plan);

  std::string s;
  s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(page_w) +
       "\" height=\"" + num(sc.page_h) + "\" viewBox=\"0 0 " + num(page_w) +
       " " + num(sc.page_h) +
       "\" font-family=\"DejaVu Sans, Helvetica, Arial, sans-serif\">\n";
  s += "<title>" + xml_text(in.scenario_name) + " " + xml_text(in.train_name) +
       "</title>\n";
  rect(s, 0, 0, page_w, sc.page_h, "#ffffff");
  draw_title(s, sc);
  draw_plan(s, sc, plan);
  draw_stations(s, sc);
  draw_gradient(s, sc);
  draw_speed(s, sc);
  draw_strip(s, sc);
  draw_station_guides(s, sc);
  draw_slowdowns(s, sc);
  draw_axis(s, sc);
  draw_legend(s, sc);
  s += "</svg>\n";
  return s;
}

namespace {

// The names become parts of file names; a separator would read a file
// outside the directory the author named.
std::string check_plot_name(const std::string& name) {
  if (name.empty()) return "a name cannot be empty";
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F)
      return "a name is part of a file name and cannot hold '/', '\\' or "
             "control characters: " +
             name;
  }
  return "";
}

// Reads and decodes one file of the scenario; false (reported) on a fault.
template <typename model>
bool load(const platform_files& files, const std::string& dir,
          const std::string& name,
          decode_fault (*decode)(std::string_view, model&), model& m,
          std::ostream& err) {
  const std::string shown = dir.empty() ? name : join_path(dir, name);
  std::string bytes;
  const step_result r = read_file(files, name, bytes);
  if (!r.ok()) {
    err << "scenario_tool: error: " << r.detail << '\n';
    return false;
  }
  const decode_fault f = decode(bytes, m);
  if (!f.ok()) {
    err << shown << ": byte " << f.offset << ": error: " << f.what << '\n';
    return false;
  }
  return true;
}

}  // namespace

CLI::App* add_plot_command(CLI::App& app, plot_options& o) {
  o.scenario = embedded_scenario_name;
  o.train = embedded_train_name;
  CLI::App* command = app.add_subcommand(
      "plot",
      "draw the compiled scenario of DIR as one SVG picture: the track plan, "
      "the gradient, the speed limit and what stands along the line");
  command
      ->add_option("--dir", o.dir,
                   "the directory of the binary files (default: the current "
                   "directory)")
      ->check(CLI::ExistingDirectory);
  command->add_option("--scenario", o.scenario, "the scenario name")
      ->check(check_plot_name, "NAME")
      ->capture_default_str();
  command->add_option("--train", o.train, "the train name")
      ->check(check_plot_name, "NAME")
      ->capture_default_str();
  command->add_option("--out", o.out_file, "the SVG file to write")->required();
  return command;
}

int run_plot(const plot_options& o, std::ostream& err) {
  compile_context ctx;
  ctx.scenario_name = o.scenario;
  ctx.train_name = o.train;
  ctx.files.directory = o.dir.empty() ? "." : o.dir;

  track_grid grid;
  line_table table;
  if (!load(ctx.files, o.dir, track_file_name(ctx), decode_track, grid, err) ||
      !load(ctx.files, o.dir, line_table_file_name(ctx), decode_line_table,
            table, err))
    return status_stopped;
  // A scenario compiled without its plan still has everything else to show.
  curve_table curves;
  const bool has_plan = file_exists(ctx.files, line_profile_file_name(ctx));
  if (has_plan && !load(ctx.files, o.dir, line_profile_file_name(ctx),
                        decode_line_profile, curves, err))
    return status_stopped;

  plot_input in;
  in.scenario_name = o.scenario;
  in.train_name = o.train;
  in.grid = &grid;
  in.table = &table;
  in.curves = has_plan ? &curves : nullptr;
  const std::string svg = plot_svg(in);

  const std::filesystem::path target(o.out_file);
  platform_files files;
  files.directory = target.has_parent_path() ? target.parent_path().string()
                                             : std::string(".");
  const step_result r =
      replace_file(files, target.filename().string(),
                   std::vector<std::uint8_t>(svg.begin(), svg.end()));
  if (!r.ok()) {
    err << "scenario_tool: error: " << r.detail << '\n';
    return status_stopped;
  }
  return 0;
}
