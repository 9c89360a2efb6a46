// The speed panel: the line speed limit, the speed boards with their first
// speed, and the slowdowns, shaded across every profile panel with their
// restricted speed drawn over the limit they lower.
#include <algorithm>
#include <cmath>
#include <vector>

#include "model/stored_values.h"
#include "tool/plot/labels.h"
#include "tool/plot/panels.h"

namespace {

int board_speed(const track_cell& c) {
  speed_board_parts b;
  return unpack_speed_board(c, b) ? b.first_kmh[0] : 0;
}

// The fastest speed of the whole line: of its limit, its boards and its
// slowdowns.
int fastest_speed(const scene& sc, const std::vector<stretch_run>& runs) {
  int fastest = 0;
  for (const stretch_run& r : runs)
    fastest = std::max(fastest, decode_speed_units(r.value));
  for (const point_feature& p : sc.points)
    if (p.c.kind == kind_speed_board)
      fastest = std::max(fastest, board_speed(p.c));
  for (const slowdown& sd : sc.slowdowns) fastest = std::max(fastest, sd.speed);
  return fastest;
}

// The speed limit as a stepped line. The line itself keeps labels off, so
// each of its steps is added to sc.labels: a value struck through is unread.
void draw_speed_limit(std::string& s, scene& sc,
                      const std::vector<stretch_run>& runs) {
  std::string d;
  double last_y = sc.speed_y(0);
  for (const stretch_run& r : runs) {
    const double from = run_from_m(r);
    if (from >= sc.extent_m || from > sc.to_m) break;
    const double to = std::min(run_to_m(r), sc.extent_m);
    if (to < sc.from_m) continue;
    const double y = sc.speed_y(decode_speed_units(r.value));
    path_to(d, sc.x_of(from), y);
    path_to(d, sc.x_of(to), y);
    sc.labels.push_back({sc.x_of(from) - 1, std::min(y, last_y) - 1.5,
                         sc.x_of(from) + 1, std::max(y, last_y) + 1.5});
    sc.labels.push_back({sc.x_of(from), y - 1.5, sc.x_of(to), y + 1.5});
    last_y = y;
  }
  s += "<path id=\"speed-limit\" d=\"" + d + "\" fill=\"none\" stroke=\"" +
       speed_line + "\" stroke-width=\"2\"/>\n";
}

std::string board_title(const point_feature& p, bool known,
                        const speed_board_parts& b) {
  return "speed board at " + km_text(p.at_m) + ": " +
         (known ? std::to_string(b.first_kmh[0]) + "/" +
                      std::to_string(b.first_kmh[1]) + "/" +
                      std::to_string(b.first_kmh[2]) + " km/h"
                : "values " + std::to_string(p.c.value1) + "/" +
                      std::to_string(p.c.value2) + "/" +
                      std::to_string(p.c.value3));
}

// A board's first speed above the board, below it, then to either side:
// the first of these places within the panel and free of sc.labels.
void draw_board_label(std::string& s, scene& sc, double x, double y, int kmh) {
  const std::string label = std::to_string(kmh);
  const double w = label_w(label, 9.5);
  const struct {
    double dx, dy;
  } places[] = {{0, -7}, {0, 15}, {6 + w / 2, 4}, {-6 - w / 2, 4}};
  for (const auto& k : places) {
    const double lx = x + k.dx, ly = y + k.dy;
    const box bb{lx - w / 2 - 1, ly - 9, lx + w / 2 + 1, ly + 1};
    if (bb.y0 < sc.speed_top + 18 || bb.y1 > sc.speed_top + speed_h ||
        bb.x0 < left_w || bb.x1 > left_w + sc.plot_w || !free_of(sc.labels, bb))
      continue;
    text(s, lx, ly, label, 9.5, "middle", speed_line, halo);
    sc.labels.push_back(bb);
    return;
  }
}

// Boards closer than a few pixels would only blur into one mark.
void draw_speed_boards(std::string& s, scene& sc) {
  open_group(s, "speed-boards");
  double last_x = -1e9;
  for (const point_feature& p : sc.points) {
    if (p.c.kind != kind_speed_board || !sc.shows(p.at_m)) continue;
    speed_board_parts b;
    const bool known = unpack_speed_board(p.c, b);
    const double x = sc.x_of(p.at_m),
                 y = sc.speed_y(known ? b.first_kmh[0] : 0);
    const std::string title = board_title(p, known, b);
    if (x - last_x < 3) continue;
    last_x = x;
    rect(s, x - 3.5, y - 3.5, 7, 7, "#ffffff", title,
         " class=\"speed-board\" stroke=\"#1f7a4d\" stroke-width=\"1.4\"" +
             cell_source(sc, p.cell));
    sc.labels.push_back({x - 4, y - 4, x + 4, y + 4});
    if (known) draw_board_label(s, sc, x, y, b.first_kmh[0]);
  }
  close_group(s);
}

}  // namespace

void draw_speed(std::string& s, scene& sc) {
  const double top = sc.speed_top;
  const std::vector<stretch_run> runs =
      stretch_runs(*sc.in.grid, stretch_field::speed_limit);
  const int fastest = fastest_speed(sc, runs);
  // Some room above the fastest speed, up to a whole tick.
  const double tick = nice_step(fastest + 10.0, 4);
  sc.speed_range = std::max(40.0, std::ceil((fastest + 10) / tick) * tick);

  open_group(s, "speed");
  draw_panel_frame(s, sc, top, speed_h, "line speed limit");
  for (double v = 0; v <= sc.speed_range + tick / 2; v += tick) {
    text(s, left_w - 8, sc.speed_y(v) + 3.5, num(v) + " km/h", 10, "end",
         faint);
    line(s, left_w - 4, sc.speed_y(v), left_w, sc.speed_y(v), faint, 1);
  }
  draw_speed_limit(s, sc, runs);
  close_group(s);
  draw_speed_boards(s, sc);
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
