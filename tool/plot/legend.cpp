// The legend: a swatch and a name for every kind of mark, in rows as wide
// as the plot area.
#include "tool/plot/labels.h"
#include "tool/plot/panels.h"

namespace {

enum class swatch {
  line,
  dashed,
  bar,
  band,
  square,
  triangle,
  triangle_up,
  dot,
  signal_sx1,
  signal_sx2,
  signal_other,
  signal_dx
};

struct legend_item {
  swatch shape;
  const char* colour;
  const char* label;
};

constexpr legend_item legend_items[] = {
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

// The marks of signals: a head per type, or the three fills of dx.
void draw_signal_swatch(std::string& s, swatch shape, double x, double y) {
  if (shape == swatch::signal_dx) {
    for (int dx = 0; dx < 3; ++dx)
      s += signal_head(x + 2 + dx * 8, y, 2, signal_fill(dx));
    return;
  }
  s += signal_head(x + 10, y,
                   shape == swatch::signal_sx1   ? 1
                   : shape == swatch::signal_sx2 ? 2
                                                 : 0,
                   "#ffffff");
}

// The swatch of `item`, 20 px wide from x, centred on y.
void draw_swatch(std::string& s, const legend_item& item, double x, double y) {
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
    case swatch::square:
      rect(s, x + 6.5, y - 3.5, 7, 7, "#ffffff", "",
           " stroke=\"#1f7a4d\" stroke-width=\"1.4\"");
      break;
    case swatch::triangle:
      s += "<path d=\"M" + num(x + 5) + " " + num(y - 5) + " L" + num(x + 15) +
           " " + num(y - 5) + " L" + num(x + 10) + " " + num(y + 5) +
           " Z\" fill=\"" + item.colour + "\"/>\n";
      break;
    case swatch::triangle_up:
      s += "<path d=\"M" + num(x + 10) + " " + num(y - 6) + " L" + num(x + 15) +
           " " + num(y + 4) + " L" + num(x + 5) + " " + num(y + 4) +
           " Z\" fill=\"" + item.colour + "\"/>\n";
      break;
    case swatch::dot:
      s += "<circle cx=\"" + num(x + 10) + "\" cy=\"" + num(y) +
           "\" r=\"3\" fill=\"" + item.colour + "\"/>\n";
      break;
    case swatch::signal_sx1:
    case swatch::signal_sx2:
    case swatch::signal_other:
    case swatch::signal_dx:
      draw_signal_swatch(s, item.shape, x, y);
      break;
  }
}

}  // namespace

void draw_legend(std::string& s, const scene& sc) {
  open_group(s, "legend");
  double x = left_w, y = sc.legend_top + 10;
  for (const legend_item& item : legend_items) {
    const double w = 26 + label_w(item.label, 11) + 18;
    if (x + w > left_w + sc.plot_w) {
      x = left_w;
      y += 20;
    }
    draw_swatch(s, item, x, y);
    text(s, x + 26, y + 4, item.label, 11);
    x += w;
  }
  close_group(s);
}
