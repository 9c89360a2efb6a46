// The plan panel: the track of the stretch drawn at equal scale, its run-out
// past the line's end, kilometre posts, the stations and their names, the
// north arrow and a scale bar.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tool/plot/labels.h"
#include "tool/plot/panels.h"

namespace {

constexpr double plan_name_size = 10;

void draw_north(std::string& s, const scene& sc, const plan_view& v) {
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
}

// A scale bar of a round length of about 120 px.
void draw_scale_bar(std::string& s, const scene& sc, const plan_view& v) {
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

void draw_track(std::string& s, const plan_view& v) {
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
}

// Kilometre posts, beside the track on its right-hand side; a post's label
// that would meet one in `taken` is left out.
void draw_kilometre_posts(std::string& s, const scene& sc, const plan_view& v,
                          std::vector<box>& taken) {
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
}

// The stations of the stretch as circles (hollow: no track marker); returns
// those drawn, whose circles are added to `taken`.
std::vector<const station*> draw_station_marks(std::string& s, const scene& sc,
                                               const plan_view& v,
                                               std::vector<box>& taken) {
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
  return shown;
}

// Every name gets a place (place_plan_name), with a leader line back to its
// station when it stands away from it.
void draw_station_names(std::string& s, const scene& sc, const plan_view& v,
                        const std::vector<const station*>& shown,
                        std::vector<box>& taken) {
  const box panel{left_w + 2, sc.plan_top + 22, left_w + sc.plot_w - 2,
                  sc.plan_top + sc.plan_h - 2};
  for (const station* st : shown) {
    double x, y, dx, dy;
    (void)plan_position(v, st->at_m, x, y, dx, dy);
    label_place place;
    if (!place_plan_name(x, y, label_w(st->name, plan_name_size), panel, taken,
                         place))
      continue;
    if (place.leader) line(s, x, y, place.leader_x, place.leader_y, faint, 0.7);
    text(s, place.x, place.y, st->name, plan_name_size, place.anchor,
         station_ink, halo);
    taken.push_back(place.taken);
  }
}

}  // namespace

void draw_plan(std::string& s, const scene& sc, const plan_view& v) {
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
  draw_track(s, v);
  std::vector<box> taken;
  draw_kilometre_posts(s, sc, v, taken);
  s += "<g id=\"plan-stations\">\n";
  const std::vector<const station*> shown = draw_station_marks(s, sc, v, taken);
  draw_station_names(s, sc, v, shown, taken);
  close_group(s);
  draw_north(s, sc, v);
  draw_scale_bar(s, sc, v);
  close_group(s);
}
