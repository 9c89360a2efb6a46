// The kilometre axis the profile panels share, and what hangs from it: the
// frame of each profile panel with a grid line at round kilometres, the
// guides from the stations down the panels, and the axis under them.
#include <algorithm>
#include <cmath>

#include "tool/plot/panels.h"

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
    text(s, sc.x_of(m), y + 17, num(m / 1000), 10.5, "middle");
  }
  for (double m = first - step_m / 2; m < sc.to_m; m += step_m)
    if (m > sc.from_m) line(s, sc.x_of(m), y, sc.x_of(m), y + 3, ink, 0.8);
  text(s, left_w + sc.plot_w + 8, y + 17, "km", 11, "start", ink,
       " font-weight=\"bold\"");
  close_group(s);
}
