// The stations: a strip along the kilometre axis with each station's mark,
// platform and name, and a table of them under the legend.
#include <algorithm>
#include <vector>

#include "tool/plot/labels.h"
#include "tool/plot/panels.h"

namespace {

std::string station_title(const station& st) {
  return st.name + ", " + km_text(st.at_m) + ", platform " +
         km_text(st.from_m) + " to " + km_text(st.to_m) + ", " +
         hms(st.time_s) + ", kind " + std::to_string(st.kind) + ", slot " +
         std::to_string(st.slot);
}

// The platform from the station's extent, and the station as a triangle
// pointing down at its place on `base` (hollow: no track marker).
void draw_station_mark(std::string& s, const scene& sc, const station& st,
                       double base) {
  const double x = sc.x_of(st.at_m);
  rect(s, sc.x_of(st.from_m), base + 2,
       std::max(sc.x_of(st.to_m) - sc.x_of(st.from_m), 1.5), 4, "#9aa5b1");
  s += "<path class=\"station\" d=\"M" + num(x - 4.5) + " " + num(base - 5) +
       " L" + num(x + 4.5) + " " + num(base - 5) + " L" + num(x) + " " +
       num(base + 2) + " Z\" fill=\"" +
       (has_track_marker(st) ? station_ink : "#ffffff") + "\" stroke=\"" +
       station_ink + "\" stroke-width=\"1\"" + slot_source(sc, st.slot) +
       "><title>" + station_title(st) + "</title></path>\n";
}

// The name in its row (station_name_rows), with a line down to the station
// when the row is not the first.
void draw_station_name(std::string& s, const scene& sc, const station& st,
                       double base, int row) {
  const double x = sc.x_of(st.at_m);
  const double w = label_w(st.short_name, name_size);
  const double x0 = std::clamp(x - w / 2, left_w, left_w + sc.plot_w - w);
  const double ly = base - 9 - row * name_row_h;
  if (row > 0) line(s, x, base - 6, x, ly + 2, "#b8b8b8", 0.7);
  text(s, x0, ly, st.short_name, name_size, "start", station_ink,
       " class=\"station-name\"" + std::string(halo));
}

}  // namespace

void draw_stations(std::string& s, const scene& sc) {
  open_group(s, "stations");
  const double base = sc.stations_top + sc.stations_h - 12;
  line(s, left_w, base + 4, left_w + sc.plot_w, base + 4, "#cccccc", 1);
  text(s, left_w - 8, base + 4, "stations", 11, "end", faint);
  const std::vector<int> rows = station_name_rows(sc);
  for (std::size_t i = 0; i < sc.stations.size(); ++i) {
    if (rows[i] < 0) continue;
    draw_station_mark(s, sc, sc.stations[i], base);
    draw_station_name(s, sc, sc.stations[i], base, rows[i]);
  }
  close_group(s);
}

// Number, name, position, platform and time. The columns stand at fixed
// places; a name too long for its column is cut.
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
