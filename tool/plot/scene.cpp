#include "tool/plot/scene.h"

#include <cmath>

#include "model/cell_geometry.h"
#include "model/stored_values.h"
#include "tool/plot/svg_writer.h"

namespace {

std::string short_label(const std::string& label) {
  constexpr std::size_t longest = 28;
  if (label.size() <= longest) return xml_text(label);
  return xml_text(label.substr(0, longest - 2)) + "\u2026";
}

// The stretch drawn: at least 100 m of the line. The page is 20 px per
// kilometre wide, within bounds, unless the input gives a width.
void frame_stretch(scene& sc) {
  const plot_input& in = sc.in;
  const double grid_m =
      static_cast<double>(in.grid->cells.size()) * cell_length_m;
  const double length = line_length_m(in);
  sc.extent_m = length > 0 && length <= grid_m ? length : grid_m;
  sc.extent_m = std::max(sc.extent_m, static_cast<double>(cell_length_m));
  sc.from_m = std::clamp(in.from_m, 0.0, sc.extent_m - 100);
  sc.to_m = in.to_m < 0 ? sc.extent_m : std::min(in.to_m, sc.extent_m);
  sc.to_m = std::max(sc.to_m, sc.from_m + 100);
  sc.page_w =
      in.width_px > 0
          ? std::clamp(in.width_px, 600.0, 30000.0)
          : std::clamp(left_w + right_w + (sc.to_m - sc.from_m) / 1000 * 20,
                       1000.0, 16000.0);
  sc.plot_w = sc.page_w - left_w - right_w;
  sc.plan_top = plan_top_y;
}

void collect_stations(scene& sc) {
  const line_table& table = *sc.in.table;
  for (int slot = 1; slot <= first_board_slot; ++slot) {
    const line_record& r = table.slots[static_cast<std::size_t>(slot)];
    if (!slot_used(r) || role_of_slot(slot, r) != slot_role::station) continue;
    sc.stations.push_back({slot, r.kind, static_cast<double>(r.at_m),
                           static_cast<double>(r.from_m),
                           static_cast<double>(r.to_m), xml_text(r.label),
                           short_label(r.label), r.time_s});
  }
}

// A slowdown runs from its start cell to the first end cell after it that
// no earlier start has taken; a start left without one (its end fell into
// its own cell) is one cell long. One pass, so a damaged file full of
// starts costs no more than a clean one.
void collect_points(scene& sc) {
  const std::vector<track_cell>& cells = sc.in.grid->cells;
  const auto at_of = [](std::size_t i) {
    return static_cast<double>(point_metre(static_cast<std::int64_t>(i)));
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

}  // namespace

bool has_track_marker(const station& st) {
  return station_has_marker(static_cast<std::uint8_t>(st.kind));
}

double line_length_m(const plot_input& in) {
  return in.table->slots[slot_train_line_data].to_m;
}

void frame_scene(scene& sc) {
  frame_stretch(sc);
  collect_stations(sc);
  collect_points(sc);
}

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

void lay_out(scene& sc, double plan_h) {
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

double nice_step(double span, int wanted) {
  if (!(span > 0)) return 1;
  const double raw = span / wanted;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double f : {1.0, 2.0, 5.0})
    if (raw <= f * power) return f * power;
  return 10 * power;
}

double run_from_m(const stretch_run& r) {
  return static_cast<double>(cell_start_m(r.first));
}

double run_to_m(const stretch_run& r) {
  return static_cast<double>(cell_start_m(r.last + 1));
}

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
