// The page: its root element with the kilometre axis for a page's script,
// the title, and the panels from top to bottom.
#include <string>

#include "tool/plot/panels.h"
#include "tool/plot/plan.h"
#include "tool/plot/plot.h"
#include "tool/plot/scene.h"
#include "tool/plot/svg_writer.h"

namespace {

void open_page(std::string& s, const scene& sc) {
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
  s += "<title>" + xml_text(sc.in.scenario_name) + " " +
       xml_text(sc.in.train_name) + "</title>\n";
  rect(s, 0, 0, sc.page_w, sc.page_h, "#ffffff");
}

// The scenario's and the train's names, and what the line holds.
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

}  // namespace

std::string plot_svg(const plot_input& in) {
  scene sc(in);
  frame_scene(sc);
  double plan_h = 0;
  const plan_view plan = plan_of(sc, plan_h);
  lay_out(sc, plan_h);

  std::string s;
  open_page(s, sc);
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
