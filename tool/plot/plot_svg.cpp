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
#include "tool/authoring/session.h"
#include "tool/inspect/model_views.h"
#include "tool/plot/plot.h"

namespace {

// Page geometry in pixels. The profile panels share one x scale from the
// left edge of the plot area to its right edge.
constexpr double left_w = 92;   // labels of the left axes
constexpr double right_w = 70;  // labels of the height axis
constexpr double plan_max_h = 400;
constexpr double gradient_h = 130;
constexpr double speed_h = 130;
constexpr double strip_row_h = 18;
constexpr int strip_rows = 4;  // mountains, signals, code markers, boards
constexpr double curvature_h = 90;
constexpr double panel_gap = 14;
constexpr double pi = 3.14159265358979323846;
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
constexpr const char* curve_right = "#7d6bb3";
constexpr const char* curve_left = "#3fa39a";

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
          const std::string& extra = "") {
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

// The width of a label in the sans-serif face at `size` px, from the widths
// of DejaVu Sans by kind of character, erring wide, so that labels kept
// apart by it never run into each other.
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
  std::size_t cell = 0;  // of its start
};

struct scene {
  const plot_input& in;
  explicit scene(const plot_input& input) : in(input) {}

  double extent_m = 0;  // the end of the line (or of the grid)
  double from_m = 0;    // the kilometre axis runs from here
  double to_m = 0;      // to here
  double page_w = 0, plot_w = 0;
  std::vector<station> stations;
  std::vector<point_feature> points;
  std::vector<slowdown> slowdowns;

  double plan_top = 0, plan_h = 0;
  double stations_top = 0, stations_h = 0;
  int name_rows = 1;  // rows of station names in the stations strip
  double gradient_top = 0, curvature_top = 0, speed_top = 0, strip_top = 0,
         strip_h = 0;
  double axis_top = 0, legend_top = 0, timetable_top = 0, page_h = 0;
  double speed_range = 40;  // km/h at the top of the speed panel
  // Labels drawn over the profile panels so far: a new one goes where none
  // of these is, or is left to its mark's tooltip.
  std::vector<box> labels;

  double speed_y(double kmh) const {
    return speed_top + speed_h - 6 -
           std::clamp(kmh, 0.0, speed_range) / speed_range * (speed_h - 24);
  }

  double x_of(double m) const {
    return left_w +
           (std::clamp(m, from_m, to_m) - from_m) / (to_m - from_m) * plot_w;
  }
  // Whether a point, or a stretch from a to b, shows between from_m and to_m.
  bool shows(double m) const { return m >= from_m && m <= to_m; }
  bool shows(double a, double b) const { return b >= from_m && a <= to_m; }
  double profiles_top() const { return gradient_top; }
  double profiles_bottom() const { return strip_top + strip_h; }
};

// " data-src=\"FILE:LINE\"" for a row of a source, empty when unknown. The
// page of `view` shows it beside a mark's values.
std::string source_attribute(const plot_sources& src, const row_origin& o) {
  if (o.line <= 0) return "";
  const std::string& file =
      o.where == error_source::line_source ? src.line_file : src.train_file;
  return " data-src=\"" + xml_text(file) + ":" + std::to_string(o.line) + "\"";
}

std::string cell_source(const scene& sc, std::size_t cell) {
  const plot_sources& src = sc.in.sources;
  if (src.cell_owners == nullptr) return "";
  const auto it = src.cell_owners->find(static_cast<std::int32_t>(cell));
  return it == src.cell_owners->end() ? "" : source_attribute(src, it->second);
}

std::string slot_source(const scene& sc, int slot) {
  const plot_sources& src = sc.in.sources;
  if (src.slot_owners == nullptr) return "";
  const auto it = src.slot_owners->find(slot);
  return it == src.slot_owners->end() ? "" : source_attribute(src, it->second);
}

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
      sc.slowdowns.push_back(
          {at_of(start), at_of(i), cells[start].value1, start});
    }
  }
  for (; oldest < open.size(); ++oldest)
    sc.slowdowns.push_back({at_of(open[oldest]), at_of(open[oldest]),
                            cells[open[oldest]].value1, open[oldest]});
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

// Sample metres from `first` to `last`: every `step`, plus the line's end and
// the last metre, so the drawn track ends where the data ends.
std::vector<std::int64_t> plan_metres(std::int64_t first, std::int64_t last,
                                      std::int64_t step, std::int64_t end) {
  std::vector<std::int64_t> metres;
  for (std::int64_t m = first; m <= last; m += step) metres.push_back(m);
  if (end > first && end <= last) metres.push_back(end);
  if (last >= first) metres.push_back(last);
  std::sort(metres.begin(), metres.end());
  metres.erase(std::unique(metres.begin(), metres.end()), metres.end());
  return metres;
}

// The plan of the stretch drawn, turned so that its chord runs left to
// right, then scaled alike in both directions to fit the panel. The run-out
// past the line's end shows when the stretch reaches the end.
plan_view make_plan(const scene& sc, double top, double height_limit,
                    double& used_h) {
  plan_view view;
  const curve_table& t = *sc.in.curves;
  const std::int64_t last_metre = last_computed_metre(t);
  if (last_metre < 1) return view;
  const auto length = static_cast<std::int64_t>(line_length_m(sc.in));
  view.end_m = length > 0 && length <= last_metre ? length : last_metre;
  const auto first = static_cast<std::int64_t>(std::floor(sc.from_m));
  const std::int64_t last =
      sc.to_m >= sc.extent_m
          ? last_metre
          : std::min(last_metre, static_cast<std::int64_t>(std::ceil(sc.to_m)));
  if (last <= first) return view;
  const std::int64_t step =
      std::max<std::int64_t>(1, (last - first + 1499) / 1500);

  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  const bool has_chord = plan_at(t, first, x0, y0) &&
                         plan_at(t, std::min(view.end_m, last), x1, y1);
  const double angle =
      has_chord && (x1 != x0 || y1 != y0) ? std::atan2(y1 - y0, x1 - x0) : 0;
  const double c = std::cos(angle), s = std::sin(angle);

  std::vector<plan_point> turned;
  std::vector<bool> breaks;
  bool gap = true;
  for (std::int64_t m : plan_metres(first, last, step, view.end_m)) {
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
  const double scale = std::min((sc.plot_w - 2 * pad_x) / span_u,
                                (height_limit - 2 * pad_y) / span_v);
  used_h = sc.in.plan_h_px > 0 ? height_limit
                               : std::max(span_v * scale + 2 * pad_y, 110.0);
  const double draw_w = span_u * scale;
  const double left = left_w + (sc.plot_w - draw_w) / 2;
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
  const double cx = left_w + sc.plot_w - 30, cy = sc.plan_top + 34;
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
  rect(s, left_w, sc.plan_top, sc.plot_w, sc.plan_h, panel_fill, "",
       " stroke=\"#dddddd\" rx=\"4\"");
  text(s, left_w + 10, sc.plan_top + 18, "track plan", 12, "start", faint,
       " font-weight=\"bold\"");
  if (v.pieces.empty()) {
    text(s, left_w + sc.plot_w / 2, sc.plan_top + sc.plan_h / 2,
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
  const double post_m = nice_step(sc.to_m - sc.from_m, 10);
  s += "<g id=\"plan-kilometres\">\n";
  for (double m = std::max(post_m, std::ceil(sc.from_m / post_m) * post_m);
       m < std::min(static_cast<double>(v.end_m), sc.to_m + 0.5); m += post_m) {
    double x, y, dx, dy;
    if (!plan_position(v, m, x, y, dx, dy)) continue;
    const double nx = -dy, ny = dx;
    line(s, x - nx * 4, y - ny * 4, x + nx * 4, y + ny * 4, faint, 1.2);
    const std::string label = num(m / 1000);
    const double lx = x + nx * 13, ly = y + ny * 13 + 3.5;
    const double half = label_w(label, 9) / 2;
    const box b{lx - half, ly - 9, lx + half, ly + 2};
    if (!free_of(taken, b)) continue;
    text(s, lx, ly, label, 9, "middle", faint);
    taken.push_back(b);
  }
  close_group(s);
  s += "<g id=\"plan-stations\">\n";
  std::vector<const station*> shown;
  for (const station& st : sc.stations) {
    double x, y, dx, dy;
    if (!sc.shows(st.at_m) || !plan_position(v, st.at_m, x, y, dx, dy))
      continue;
    s += "<circle cx=\"" + num(x) + "\" cy=\"" + num(y) +
         "\" r=\"3.6\" fill=\"" +
         (has_track_marker(st) ? station_ink : "#ffffff") + "\" stroke=\"" +
         station_ink + "\" stroke-width=\"1.5\"" + slot_source(sc, st.slot) +
         "><title>" + st.name + ", " + km_text(st.at_m) + "</title></circle>\n";
    taken.push_back({x - 4, y - 4, x + 4, y + 4});
    shown.push_back(&st);
  }
  // Every name gets a place: first beside its station, then farther out on
  // rings around it with a leader line back, and last in a column along the
  // panel's top edge.
  const double panel_x0 = left_w + 2, panel_x1 = left_w + sc.plot_w - 2;
  const double panel_y0 = sc.plan_top + 22,
               panel_y1 = sc.plan_top + sc.plan_h - 2;
  const auto fits = [&](const box& b) {
    return b.x0 >= panel_x0 && b.x1 <= panel_x1 && b.y0 >= panel_y0 &&
           b.y1 <= panel_y1 && free_of(taken, b);
  };
  for (const station* st : shown) {
    double x, y, dx, dy;
    (void)plan_position(v, st->at_m, x, y, dx, dy);
    const double w = label_w(st->name, 10);
    bool placed = false;
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
      if (!fits(b)) continue;
      text(s, lx, ly, st->name, 10, k.anchor, station_ink, halo);
      taken.push_back(b);
      placed = true;
      break;
    }
    for (double r = 24; !placed && r <= 150; r += 14)
      for (int a = 0; !placed && a < 16; ++a) {
        const double angle = -pi / 2 + a * pi / 8;
        const double lx = x + r * std::cos(angle), ly = y + r * std::sin(angle);
        const double bx0 = std::cos(angle) < -0.1  ? lx - w
                           : std::cos(angle) > 0.1 ? lx
                                                   : lx - w / 2;
        const box b{bx0 - 1, ly - 9, bx0 + w + 1, ly + 2};
        if (!fits(b)) continue;
        line(s, x, y, std::clamp(x, b.x0, b.x1), ly < y ? b.y1 : b.y0, faint,
             0.7);
        text(s, bx0, ly, st->name, 10, "start", station_ink, halo);
        taken.push_back(b);
        placed = true;
      }
    for (double ly = panel_y0 + 10; !placed && ly < panel_y1; ly += 12) {
      const box b{panel_x1 - w - 4, ly - 9, panel_x1 - 4, ly + 2};
      if (!free_of(taken, b)) continue;
      line(s, x, y, b.x0, ly - 3, faint, 0.7);
      text(s, b.x0, ly, st->name, 10, "start", station_ink, halo);
      taken.push_back(b);
      placed = true;
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
  rect(s, left_w, top, sc.plot_w, h, panel_fill, "", " stroke=\"#dddddd\"");
  const double step_m = nice_step(sc.to_m - sc.from_m, 12);
  for (double m = std::ceil(sc.from_m / step_m) * step_m; m < sc.to_m;
       m += step_m)
    if (m > sc.from_m)
      line(s, sc.x_of(m), top, sc.x_of(m), top + h, grid_line, 1);
  text(s, left_w + 8, top + 15, title, 12, "start", faint,
       " font-weight=\"bold\"");
}

void draw_station_guides(std::string& s, const scene& sc) {
  s += "<g id=\"station-guides\">\n";
  for (const station& st : sc.stations)
    if (sc.shows(st.at_m))
      line(s, sc.x_of(st.at_m), sc.profiles_top(), sc.x_of(st.at_m),
           sc.profiles_bottom(), "#b8b8b8", 0.8, " stroke-dasharray=\"2 3\"");
  close_group(s);
}

constexpr double name_size = 10.5;
constexpr double name_row_h = 14;

// The row of each station's name in the stations strip (-1: the station is
// not drawn). Names stand upright, centred over their stations where they
// can; a name that would run into one before it goes one row up, so no two
// names ever overlap and none is left out.
std::vector<int> station_name_rows(const scene& sc) {
  std::vector<int> rows(sc.stations.size(), -1);
  std::vector<double> row_end;  // the right edge of the last name per row
  for (std::size_t i = 0; i < sc.stations.size(); ++i) {
    const station& st = sc.stations[i];
    if (!sc.shows(st.at_m)) continue;
    const double w = label_w(st.short_name, name_size);
    const double x0 =
        std::clamp(sc.x_of(st.at_m) - w / 2, left_w, left_w + sc.plot_w - w);
    std::size_t row = 0;
    while (row < row_end.size() && row_end[row] + 6 > x0) ++row;
    if (row == row_end.size()) row_end.push_back(0);
    row_end[row] = x0 + w;
    rows[i] = static_cast<int>(row);
  }
  return rows;
}

void draw_stations(std::string& s, const scene& sc) {
  open_group(s, "stations");
  const double base = sc.stations_top + sc.stations_h - 12;
  line(s, left_w, base + 4, left_w + sc.plot_w, base + 4, "#cccccc", 1);
  text(s, left_w - 8, base + 4, "stations", 11, "end", faint);
  const std::vector<int> rows = station_name_rows(sc);
  for (std::size_t i = 0; i < sc.stations.size(); ++i) {
    const station& st = sc.stations[i];
    if (rows[i] < 0) continue;
    const double x = sc.x_of(st.at_m);
    // The platform, from the station's extent.
    rect(s, sc.x_of(st.from_m), base + 2,
         std::max(sc.x_of(st.to_m) - sc.x_of(st.from_m), 1.5), 4, "#9aa5b1");
    s += "<path class=\"station\" d=\"M" + num(x - 4.5) + " " + num(base - 5) +
         " L" + num(x + 4.5) + " " + num(base - 5) + " L" + num(x) + " " +
         num(base + 2) + " Z\" fill=\"" +
         (has_track_marker(st) ? station_ink : "#ffffff") + "\" stroke=\"" +
         station_ink + "\" stroke-width=\"1\"" + slot_source(sc, st.slot) +
         "><title>" + st.name + ", " + km_text(st.at_m) + ", platform " +
         km_text(st.from_m) + " to " + km_text(st.to_m) + ", " +
         hms(st.time_s) + ", kind " + std::to_string(st.kind) + ", slot " +
         std::to_string(st.slot) + "</title></path>\n";
    const double w = label_w(st.short_name, name_size);
    const double x0 = std::clamp(x - w / 2, left_w, left_w + sc.plot_w - w);
    const double ly = base - 9 - rows[i] * name_row_h;
    if (rows[i] > 0) line(s, x, base - 6, x, ly + 2, "#b8b8b8", 0.7);
    text(s, x0, ly, st.short_name, name_size, "start", station_ink,
         " class=\"station-name\"" + std::string(halo));
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
  line(s, left_w, mid, left_w + sc.plot_w, mid, "#9a9a9a", 1);
  // Cells never given a gradient (0) at the far end are left blank.
  // Runs narrower than two pixels are drawn together, as the steepest of
  // them, so a dense line stays a picture and not a blur of slivers.
  struct bar {
    double from, to;
    int g, low, high, count;
  };
  std::vector<bar> bars;
  for (const stretch_run& r : runs) {
    if (r.value == gradient_not_filled) continue;
    const double from = static_cast<double>(r.first) * cell_length_m;
    const double to = static_cast<double>(r.last + 1) * cell_length_m;
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
  for (const bar& b : bars) {
    const double y = mid - b.g * per_px;
    const std::string what =
        b.count == 1
            ? (b.g > 0 ? "+" : "") + std::to_string(b.g) + " \u2030 from " +
                  km_text(b.from) + " to " + km_text(b.to)
            : std::to_string(b.count) + " gradients from " +
                  std::to_string(b.low) + " to " + std::to_string(b.high) +
                  " \u2030, " + km_text(b.from) + " to " + km_text(b.to) +
                  " (zoom in)";
    rect(s, sc.x_of(b.from), std::min(y, mid), sc.x_of(b.to) - sc.x_of(b.from),
         std::fabs(y - mid), b.g >= 0 ? uphill : downhill, what);
  }
  // The height the gradients add up to, relative to the line's start.
  std::vector<std::pair<double, double>> heights;
  double h = 0;
  for (const stretch_run& r : runs) {
    if (r.value == gradient_not_filled) break;
    const double from = static_cast<double>(r.first) * cell_length_m;
    const double to =
        std::min(static_cast<double>(r.last + 1) * cell_length_m, sc.extent_m);
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
    text(s, left_w + sc.plot_w + 8, y_of(v) + 3.5, num(v) + " m", 10, "start",
         height_line);
    line(s, left_w + sc.plot_w, y_of(v), left_w + sc.plot_w + 4, y_of(v),
         height_line, 1);
  }
  close_group(s);
}

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

// The curvature along the stretch drawn, one value per pixel column (a
// column under a metre wide takes the metre), merged into runs of one value.
std::vector<curvature_run> curvature_runs(const scene& sc) {
  std::vector<curvature_run> runs;
  const curve_table& t = *sc.in.curves;
  // Columns of three pixels, or of a metre when that is wider: a column
  // takes the mean of the curves within it.
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
  for (const int side : {1, -1}) {
    const double y = mid - side * sharpest * per_kappa;
    text(s, left_w - 8, y + 3.5,
         std::string(side > 0 ? "right" : "left") + " R " +
             num(std::round(1 / sharpest)),
         9.5, "end", faint);
    line(s, left_w - 4, y, left_w, y, faint, 1);
  }
  for (const curvature_run& r : runs) {
    if (std::fabs(r.kappa) < 1e-6) continue;
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
    if (sc.x_of(r.to_m) - sc.x_of(r.from_m) < w || !free_of(sc.labels, b))
      continue;
    text(s, x, ly, label, 9, "middle", faint, halo);
    sc.labels.push_back(b);
  }
  // The curve rows themselves, as the author wrote them, on the centre line.
  const plot_sources& src = sc.in.sources;
  if (src.curve_owners != nullptr) {
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
           "curve row from " + km_text(from) + ", " +
               std::to_string(c.length_m) + " m long",
           " class=\"curve-row\"" + source_attribute(src, c.origin));
    }
    close_group(s);
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
  double last_y = y_of(0);
  for (const stretch_run& r : runs) {
    const double from = static_cast<double>(r.first) * cell_length_m;
    if (from >= sc.extent_m || from > sc.to_m) break;
    const double to =
        std::min(static_cast<double>(r.last + 1) * cell_length_m, sc.extent_m);
    if (to < sc.from_m) continue;
    const double y = y_of(decode_speed_units(r.value));
    d += (d.empty() ? "M" : " L") + num(sc.x_of(from)) + " " + num(y) + " L" +
         num(sc.x_of(to)) + " " + num(y);
    // The line itself keeps labels off: a value struck through is unread.
    sc.labels.push_back({sc.x_of(from) - 1, std::min(y, last_y) - 1.5,
                         sc.x_of(from) + 1, std::max(y, last_y) + 1.5});
    sc.labels.push_back({sc.x_of(from), y - 1.5, sc.x_of(to), y + 1.5});
    last_y = y;
  }
  s += "<path id=\"speed-limit\" d=\"" + d + "\" fill=\"none\" stroke=\"" +
       speed_line + "\" stroke-width=\"2\"/>\n";
  close_group(s);

  open_group(s, "speed-boards");
  double last_x = -1e9;
  for (const point_feature& p : sc.points) {
    if (p.c.kind != kind_speed_board || !sc.shows(p.at_m)) continue;
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
    // Boards closer than a few pixels would only blur into one mark.
    if (x - last_x < 3) continue;
    last_x = x;
    rect(s, x - 3.5, y - 3.5, 7, 7, "#ffffff", title,
         " class=\"speed-board\" stroke=\"#1f7a4d\" stroke-width=\"1.4\"" +
             cell_source(sc, p.cell));
    sc.labels.push_back({x - 4, y - 4, x + 4, y + 4});
    if (!known) continue;
    const std::string label = std::to_string(b.first_kmh[0]);
    const double w = label_w(label, 9.5);
    // Above the board, below it, then to either side.
    const struct {
      double dx, dy;
    } places[] = {{0, -7}, {0, 15}, {6 + w / 2, 4}, {-6 - w / 2, 4}};
    for (const auto& k : places) {
      const double lx = x + k.dx, ly = y + k.dy;
      const box bb{lx - w / 2 - 1, ly - 9, lx + w / 2 + 1, ly + 1};
      if (bb.y0 < sc.speed_top + 18 || bb.y1 > sc.speed_top + speed_h ||
          bb.x0 < left_w || bb.x1 > left_w + sc.plot_w ||
          !free_of(sc.labels, bb))
        continue;
      text(s, lx, ly, label, 9.5, "middle", speed_line, halo);
      sc.labels.push_back(bb);
      break;
    }
  }
  close_group(s);
}

void draw_slowdowns(std::string& s, scene& sc) {
  open_group(s, "slowdowns");
  for (const slowdown& sd : sc.slowdowns) {
    const double lo = std::min(sd.from_m, sd.to_m);
    const double hi = std::max(sd.from_m, sd.to_m);
    if (!sc.shows(lo, hi)) continue;
    const double x0 = sc.x_of(lo);
    const double w = std::max(sc.x_of(hi) - x0, 2.0);
    rect(
        s, x0, sc.profiles_top(), w, sc.profiles_bottom() - sc.profiles_top(),
        slowdown_fill,
        "slowdown " + std::to_string(sd.speed) + " km/h from " +
            km_text(sd.from_m) + " to " + km_text(sd.to_m),
        " class=\"slowdown\" fill-opacity=\"0.22\"" + cell_source(sc, sd.cell));
    // The restricted speed, over the line speed limit it lowers.
    const double y = sc.speed_y(sd.speed);
    line(s, x0, y, x0 + w, y, "#d35400", 2.2);
    const std::string label = std::to_string(sd.speed);
    const double lw = label_w(label, 10);
    for (const double ly : {y - 5, y + 14}) {
      const box b{x0 + w / 2 - lw / 2 - 1, ly - 9, x0 + w / 2 + lw / 2 + 1,
                  ly + 1};
      if (!free_of(sc.labels, b)) continue;
      text(s, x0 + w / 2, ly, label, 10, "middle", "#b9770e",
           std::string(" font-weight=\"bold\"") + halo);
      sc.labels.push_back(b);
      break;
    }
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

// Point marks of one kind along a row, thinned to one per few pixels: marks
// closer than that would blur into one, so the first stands for the others
// and its tooltip counts them.
struct thinned_mark {
  const point_feature* p;
  double x;
  int hidden;
};
std::vector<thinned_mark> thin_marks(const scene& sc,
                                     bool (*wanted)(std::uint8_t kind)) {
  std::vector<thinned_mark> marks;
  for (const point_feature& p : sc.points) {
    if (!wanted(p.c.kind) || !sc.shows(p.at_m)) continue;
    const double x = sc.x_of(p.at_m);
    if (!marks.empty() && x - marks.back().x < 3) {
      ++marks.back().hidden;
      continue;
    }
    marks.push_back({&p, x, 0});
  }
  return marks;
}

std::string hidden_note(const thinned_mark& m) {
  if (m.hidden == 0) return "";
  return "; and " + std::to_string(m.hidden) + " more within 3 px (zoom in)";
}

bool is_signal(std::uint8_t kind) { return kind == kind_signal; }
bool is_code_marker(std::uint8_t kind) {
  return kind == kind_code_marker || kind == kind_zero_code_marker;
}
bool is_board(std::uint8_t kind) {
  return kind == kind_text_board || kind == kind_warning_board ||
         kind == kind_pre_warning;
}

// A signal's head tells its type: a circle for sx 1, a square for sx 2 (the
// type with a timer), a diamond for any other; its fill tells dx: hollow for
// 0, light for 1, full for 2, grey for any other.
const char* signal_fill(int dx) {
  switch (dx) {
    case 0:
      return "#ffffff";
    case 1:
      return "#eba79f";
    case 2:
      return signal_ink;
    default:
      return "#9a9a9a";
  }
}

std::string signal_head(double x, double y, int sx, const char* fill) {
  const std::string paint = "\" fill=\"" + std::string(fill) + "\" stroke=\"" +
                            signal_ink + "\" stroke-width=\"1.3\"/>";
  if (sx == 1)
    return "<circle cx=\"" + num(x) + "\" cy=\"" + num(y) + "\" r=\"3.6" +
           paint;
  if (sx == 2)
    return "<rect x=\"" + num(x - 3.4) + "\" y=\"" + num(y - 3.4) +
           "\" width=\"6.8\" height=\"6.8" + paint;
  return "<path d=\"M" + num(x) + " " + num(y - 4.2) + " L" + num(x + 4.2) +
         " " + num(y) + " L" + num(x) + " " + num(y + 4.2) + " L" +
         num(x - 4.2) + " " + num(y) + " Z" + paint;
}

void draw_strip(std::string& s, const scene& sc) {
  const double top = sc.strip_top;
  double rows[strip_rows];
  for (int i = 0; i < strip_rows; ++i) rows[i] = top + 4 + i * strip_row_h;
  rect(s, left_w, top, sc.plot_w, sc.strip_h, panel_fill, "",
       " stroke=\"#dddddd\"");
  const char* names[] = {"mountains", "signals", "code markers", "boards"};
  for (int i = 0; i < strip_rows; ++i)
    text(s, left_w - 8, rows[i] + 11, names[i], 11, "end", faint);

  open_group(s, "mountains");
  for (const stretch_run& r :
       stretch_runs(*sc.in.grid, stretch_field::mountain)) {
    const double from = static_cast<double>(r.first) * cell_length_m;
    const double to = static_cast<double>(r.last + 1) * cell_length_m;
    if (r.value == 0 || from >= sc.extent_m || !sc.shows(from, to)) continue;
    const std::string what = (r.tunnel ? "tunnel, type " : "mountain, type ") +
                             std::to_string(r.value) + ", " + km_text(from) +
                             " to " + km_text(to);
    const double x0 = sc.x_of(from), w = std::max(sc.x_of(to) - x0, 1.0);
    rect(s, x0, rows[0] + 1, w, strip_row_h - 6,
         r.tunnel ? tunnel_fill : mountain_fill, what,
         std::string(r.tunnel ? " class=\"tunnel\"" : " class=\"mountain\"") +
             cell_source(sc, static_cast<std::size_t>(r.first)));
    if (r.tunnel && w > 50)
      text(s, x0 + w / 2, rows[0] + 10.5, "tunnel", 9, "middle", "#ffffff");
  }
  close_group(s);

  open_group(s, "signals");
  for (const thinned_mark& m : thin_marks(sc, is_signal)) {
    const point_feature& p = *m.p;
    signal_parts sp;
    const bool known = unpack_signal(p.c, sp);
    const int sx = known ? sp.sx : -1, dx = known ? sp.dx : -1;
    const double y = rows[1];
    s += "<g class=\"signal signal-sx" + std::to_string(sx) + "\"" +
         cell_source(sc, p.cell) + "><title>" + signal_title(p) +
         hidden_note(m) + "</title>";
    line(s, m.x, y + 5, m.x, y + 15, signal_ink, 1.4);
    s += signal_head(m.x, y + 3, sx, signal_fill(dx));
    s += "</g>\n";
  }
  close_group(s);

  open_group(s, "code-markers");
  for (const thinned_mark& m : thin_marks(sc, is_code_marker)) {
    const point_feature& p = *m.p;
    const std::string title =
        std::string(cell_kind_name(p.c.kind)) + " at " + km_text(p.at_m) +
        (p.c.kind == kind_code_marker ? ", code " + std::to_string(p.c.value1)
                                      : std::string()) +
        hidden_note(m);
    s += "<circle class=\"code-marker\" cx=\"" + num(m.x) + "\" cy=\"" +
         num(rows[2] + 8) + "\" r=\"2.6\" fill=\"" + marker_ink + "\"" +
         cell_source(sc, p.cell) + "><title>" + title + "</title></circle>\n";
  }
  close_group(s);

  open_group(s, "boards");
  const line_table& table = *sc.in.table;
  for (const thinned_mark& m : thin_marks(sc, is_board)) {
    const point_feature& p = *m.p;
    const double x = m.x, y = rows[3] + 2;
    if (p.c.kind == kind_text_board) {
      const line_record* r = slot_at(table, p.c.value1);
      rect(s, x - 3, y, 6, 9, board_ink,
           "board at " + km_text(p.at_m) + ": " +
               (r != nullptr ? xml_text(r->label) : std::string("(no slot)")) +
               hidden_note(m),
           " class=\"text-board\"" + cell_source(sc, p.cell));
    } else {
      const double r = p.c.kind == kind_warning_board ? 5 : 3;
      s += "<path class=\"warning-board\" d=\"M" + num(x) + " " + num(y) +
           " L" + num(x + r) + " " + num(y + 2 * r) + " L" + num(x - r) + " " +
           num(y + 2 * r) + " Z\" fill=\"" + slowdown_fill + "\"" +
           cell_source(sc, p.cell) + "><title>" + cell_kind_name(p.c.kind) +
           " at " + km_text(p.at_m) + hidden_note(m) + "</title></path>\n";
    }
  }
  close_group(s);
}

void draw_axis(std::string& s, const scene& sc) {
  open_group(s, "axis");
  const double y = sc.axis_top;
  line(s, left_w, y, left_w + sc.plot_w, y, ink, 1);
  const double span = sc.to_m - sc.from_m;
  // Labels about 90 px apart at least, so none runs into the next.
  const double step_m =
      nice_step(span, std::max(2, static_cast<int>(sc.plot_w / 90)));
  const double first = std::ceil(sc.from_m / step_m - 1e-9) * step_m;
  for (double m = first; m <= sc.to_m + step_m * 1e-6; m += step_m) {
    line(s, sc.x_of(m), y, sc.x_of(m), y + 5, ink, 1);
    text(s, sc.x_of(m), y + 17, num(m / 1000) + (step_m < 100 ? "" : ""), 10.5,
         "middle");
  }
  for (double m = first - step_m / 2; m < sc.to_m; m += step_m)
    if (m > sc.from_m) line(s, sc.x_of(m), y, sc.x_of(m), y + 3, ink, 0.8);
  text(s, left_w + sc.plot_w + 8, y + 17, "km", 11, "start", ink,
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
    dot,
    signal_sx1,
    signal_sx2,
    signal_other,
    signal_dx
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
      {swatch::bar, curve_right, "curve to the right"},
      {swatch::bar, curve_left, "curve to the left"},
      {swatch::signal_sx1, signal_ink, "signal, sx 1"},
      {swatch::signal_sx2, signal_ink, "signal, sx 2 (timer)"},
      {swatch::signal_other, signal_ink, "signal, other sx"},
      {swatch::signal_dx, signal_ink, "head fill: dx 0, 1, 2"},
      {swatch::dot, marker_ink, "code marker"},
      {swatch::bar, board_ink, "board with text"},
      {swatch::triangle_up, slowdown_fill, "slowdown warning"},
  };
  double x = left_w, y = sc.legend_top + 10;
  for (const auto& item : items) {
    const double w = 26 + label_w(item.label, 11) + 18;
    if (x + w > left_w + sc.plot_w) {
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
      case swatch::signal_sx1:
      case swatch::signal_sx2:
      case swatch::signal_other:
        s += signal_head(x + 10, y,
                         item.shape == swatch::signal_sx1   ? 1
                         : item.shape == swatch::signal_sx2 ? 2
                                                            : 0,
                         "#ffffff");
        break;
      case swatch::signal_dx:
        for (int dx = 0; dx < 3; ++dx)
          s += signal_head(x + 2 + dx * 8, y, 2, signal_fill(dx));
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

// The stations as a table: number, name, position, platform and time. The
// columns stand at fixed places; a name too long for its column is cut.
void draw_timetable(std::string& s, const scene& sc) {
  open_group(s, "timetable");
  double y = sc.timetable_top;
  text(s, left_w, y + 14, "timetable", 12, "start", faint,
       " font-weight=\"bold\"");
  y += 34;
  const double cols[] = {left_w,       left_w + 30,  left_w + 260,
                         left_w + 350, left_w + 520, left_w + 600};
  const char* heads[] = {"#",        "station", "position",
                         "platform", "time",    "kind"};
  for (int i = 0; i < 6; ++i)
    text(s, cols[i], y, heads[i], 11, "start", faint, " font-weight=\"bold\"");
  line(s, left_w, y + 5, cols[5] + 60, y + 5, "#cccccc", 1);
  for (std::size_t i = 0; i < sc.stations.size(); ++i) {
    const station& st = sc.stations[i];
    y += 16;
    if (i % 2 == 1)
      rect(s, left_w - 4, y - 12, cols[5] + 64 - left_w, 16, "#f4f4f0");
    text(s, cols[0], y, std::to_string(i + 1), 11, "start", faint);
    text(s, cols[1], y, st.short_name, 11, "start", ink,
         " class=\"timetable-name\"" + slot_source(sc, st.slot));
    text(s, cols[2], y, km_text(st.at_m), 11);
    text(s, cols[3], y, num(st.from_m / 1000) + " \u2013 " + km_text(st.to_m),
         11);
    text(s, cols[4], y, hms(st.time_s), 11);
    text(s, cols[5], y, std::to_string(st.kind), 11);
  }
  close_group(s);
}

void lay_out(scene& sc, plan_view& plan) {
  sc.plan_top = 66;
  double plan_h = 90;
  const double plan_limit = sc.in.plan_h_px > 0 ? sc.in.plan_h_px : plan_max_h;
  if (sc.in.curves != nullptr)
    plan = make_plan(sc, sc.plan_top, plan_limit, plan_h);
  sc.plan_h = plan_h;
  int rows = 1;
  for (const int r : station_name_rows(sc)) rows = std::max(rows, r + 1);
  sc.name_rows = rows;
  sc.stations_top = sc.plan_top + sc.plan_h + panel_gap;
  sc.stations_h = 26 + rows * name_row_h;
  sc.gradient_top = sc.stations_top + sc.stations_h + 4;
  sc.curvature_top = sc.gradient_top + gradient_h + panel_gap;
  sc.speed_top = sc.curvature_top + curvature_h + panel_gap;
  sc.strip_top = sc.speed_top + speed_h + panel_gap;
  sc.strip_h = strip_rows * strip_row_h + 8;
  sc.axis_top = sc.strip_top + sc.strip_h + 6;
  sc.legend_top = sc.axis_top + 36;
  sc.timetable_top = sc.in.legend ? sc.legend_top + 66 : sc.legend_top;
  sc.page_h =
      sc.timetable_top +
      (sc.in.timetable ? 56 + 16 * static_cast<double>(sc.stations.size()) : 0);
}

}  // namespace

std::string plot_svg(const plot_input& in) {
  scene sc(in);
  const double grid_m =
      static_cast<double>(in.grid->cells.size()) * cell_length_m;
  const double length = line_length_m(in);
  sc.extent_m = length > 0 && length <= grid_m ? length : grid_m;
  sc.extent_m = std::max(sc.extent_m, static_cast<double>(cell_length_m));
  // The stretch drawn: at least 100 m of the line.
  sc.from_m = std::clamp(in.from_m, 0.0, sc.extent_m - 100);
  sc.to_m = in.to_m < 0 ? sc.extent_m : std::min(in.to_m, sc.extent_m);
  sc.to_m = std::max(sc.to_m, sc.from_m + 100);
  // A width that follows the length: 20 px per kilometre, within bounds.
  sc.page_w =
      in.width_px > 0
          ? std::clamp(in.width_px, 600.0, 30000.0)
          : std::clamp(left_w + right_w + (sc.to_m - sc.from_m) / 1000 * 20,
                       1000.0, 16000.0);
  sc.plot_w = sc.page_w - left_w - right_w;
  collect(sc);
  plan_view plan;
  lay_out(sc, plan);

  std::string s;
  s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(sc.page_w) +
       "\" height=\"" + num(sc.page_h) + "\" viewBox=\"0 0 " + num(sc.page_w) +
       " " + num(sc.page_h) + "\" data-from-m=\"" + num(sc.from_m) +
       "\" data-to-m=\"" + num(sc.to_m) + "\" data-line-m=\"" +
       num(sc.extent_m) + "\" data-plot-left=\"" + num(left_w) +
       "\" data-plot-width=\"" + num(sc.plot_w) + "\" data-profiles-top=\"" +
       num(sc.profiles_top()) + "\" data-profiles-bottom=\"" +
       num(sc.profiles_bottom()) +
       "\" font-family=\"DejaVu Sans, Helvetica, Arial, sans-serif\">\n";
  s += "<title>" + xml_text(in.scenario_name) + " " + xml_text(in.train_name) +
       "</title>\n";
  rect(s, 0, 0, sc.page_w, sc.page_h, "#ffffff");
  draw_title(s, sc);
  draw_plan(s, sc, plan);
  draw_stations(s, sc);
  draw_gradient(s, sc);
  draw_speed(s, sc);
  draw_curvature(s, sc);
  draw_strip(s, sc);
  draw_station_guides(s, sc);
  draw_slowdowns(s, sc);
  draw_axis(s, sc);
  if (in.legend) draw_legend(s, sc);
  if (in.timetable) draw_timetable(s, sc);
  s += "</svg>\n";
  return s;
}
