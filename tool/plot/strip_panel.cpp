// The strip under the speed panel, one row each: mountains and tunnels,
// signals by type, code markers, and boards.
#include <algorithm>
#include <vector>

#include "model/stored_values.h"
#include "tool/plot/panels.h"

namespace {

// The top of row `i` of the strip.
double strip_row_top(const scene& sc, int i) {
  return sc.strip_top + 4 + i * strip_row_h;
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

void draw_mountains(std::string& s, const scene& sc) {
  const double row = strip_row_top(sc, 0);
  open_group(s, "mountains");
  for (const stretch_run& r :
       stretch_runs(*sc.in.grid, stretch_field::mountain)) {
    const double from = run_from_m(r);
    const double to = run_to_m(r);
    if (r.value == 0 || from >= sc.extent_m || !sc.shows(from, to)) continue;
    const std::string what = (r.tunnel ? "tunnel, type " : "mountain, type ") +
                             std::to_string(r.value) + ", " + km_text(from) +
                             " to " + km_text(to);
    const double x0 = sc.x_of(from), w = std::max(sc.x_of(to) - x0, 1.0);
    rect(s, x0, row + 1, w, strip_row_h - 6,
         r.tunnel ? tunnel_fill : mountain_fill, what,
         std::string(r.tunnel ? " class=\"tunnel\"" : " class=\"mountain\"") +
             cell_source(sc, static_cast<std::size_t>(r.first)));
    if (r.tunnel && w > 50)
      text(s, x0 + w / 2, row + 10.5, "tunnel", 9, "middle", "#ffffff");
  }
  close_group(s);
}

void draw_signals(std::string& s, const scene& sc) {
  const double y = strip_row_top(sc, 1);
  open_group(s, "signals");
  for (const thinned_mark& m : thin_marks(sc, is_signal)) {
    const point_feature& p = *m.p;
    signal_parts sp;
    const bool known = unpack_signal(p.c, sp);
    const int sx = known ? sp.sx : -1, dx = known ? sp.dx : -1;
    s += "<g class=\"signal signal-sx" + std::to_string(sx) + "\"" +
         cell_source(sc, p.cell) + "><title>" + signal_title(p) +
         hidden_note(m) + "</title>";
    line(s, m.x, y + 5, m.x, y + 15, signal_ink, 1.4);
    s += signal_head(m.x, y + 3, sx, signal_fill(dx));
    s += "</g>\n";
  }
  close_group(s);
}

void draw_code_markers(std::string& s, const scene& sc) {
  const double row = strip_row_top(sc, 2);
  open_group(s, "code-markers");
  for (const thinned_mark& m : thin_marks(sc, is_code_marker)) {
    const point_feature& p = *m.p;
    const std::string title =
        std::string(cell_kind_name(p.c.kind)) + " at " + km_text(p.at_m) +
        (p.c.kind == kind_code_marker ? ", code " + std::to_string(p.c.value1)
                                      : std::string()) +
        hidden_note(m);
    s += "<circle class=\"code-marker\" cx=\"" + num(m.x) + "\" cy=\"" +
         num(row + 8) + "\" r=\"2.6\" fill=\"" + marker_ink + "\"" +
         cell_source(sc, p.cell) + "><title>" + title + "</title></circle>\n";
  }
  close_group(s);
}

// A board with text shows its slot's text; a warning board (large) and a
// pre-warning (small) are triangles.
void draw_boards(std::string& s, const scene& sc) {
  const double y = strip_row_top(sc, 3) + 2;
  open_group(s, "boards");
  const line_table& table = *sc.in.table;
  for (const thinned_mark& m : thin_marks(sc, is_board)) {
    const point_feature& p = *m.p;
    const double x = m.x;
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

}  // namespace

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
  rect(s, left_w, sc.strip_top, sc.plot_w, sc.strip_h, panel_fill, "",
       " stroke=\"#dddddd\"");
  const char* names[] = {"mountains", "signals", "code markers", "boards"};
  for (int i = 0; i < strip_rows; ++i)
    text(s, left_w - 8, strip_row_top(sc, i) + 11, names[i], 11, "end", faint);
  draw_mountains(s, sc);
  draw_signals(s, sc);
  draw_code_markers(s, sc);
  draw_boards(s, sc);
}
