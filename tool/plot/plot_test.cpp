#include "tool/plot/plot.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/cell_geometry.h"
#include "test/tool_run.h"
#include "tool/inspect/model_views.h"

namespace {

// One element of an SVG document: its name, attributes and where its text
// lies between its tags.
struct element {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::size_t inner_begin = 0;
  std::size_t inner_end = 0;
};

bool name_char(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' ||
         c == '_' || c == ':' || c == '.';
}

// Whether doc[from, to) is text XML allows: no "<", no control character
// but white space, and "&" only in the five entities and character
// references.
bool text_ok(const std::string& doc, std::size_t from, std::size_t to) {
  for (std::size_t k = from; k < to; ++k) {
    const auto b = static_cast<unsigned char>(doc[k]);
    if (b < 0x20 && b != '\n' && b != '\t' && b != '\r') return false;
    if (doc[k] == '<') return false;
    if (doc[k] != '&') continue;
    const std::size_t semi = doc.find(';', k);
    if (semi == std::string::npos || semi > to) return false;
    const std::string entity = doc.substr(k + 1, semi - k - 1);
    if (entity != "amp" && entity != "lt" && entity != "gt" &&
        entity != "quot" && entity != "apos" &&
        !(entity.size() > 1 && entity[0] == '#'))
      return false;
  }
  return true;
}

// The document being checked, how far it is read, the elements still open
// and those closed, and the first fault found.
struct xml_reader {
  explicit xml_reader(const std::string& text) : doc(text) {}
  const std::string& doc;
  std::size_t i = 0;
  std::vector<element> open;
  std::vector<element> done;
  std::string fault;

  bool fail(const std::string& what) {
    fault = what + " at byte " + std::to_string(i);
    return false;
  }
  std::size_t name_end(std::size_t from) const {
    while (from < doc.size() && name_char(doc[from])) ++from;
    return from;
  }
};

// An end tag whose "<" is at `lt`, read from its name on: it must close the
// innermost open element, and nothing but space may follow the root's.
bool read_end_tag(xml_reader& r, std::size_t lt) {
  const std::size_t end = r.name_end(r.i);
  const std::string name = r.doc.substr(r.i, end - r.i);
  if (r.open.empty() || r.open.back().name != name)
    return r.fail("unexpected </" + name + ">");
  if (end >= r.doc.size() || r.doc[end] != '>') return r.fail("bad end tag");
  r.open.back().inner_end = lt;
  r.done.push_back(r.open.back());
  r.open.pop_back();
  r.i = end + 1;
  if (r.open.empty() &&
      r.doc.find_first_not_of(" \n", r.i) != std::string::npos)
    return r.fail("content after the root");
  return true;
}

// The attributes of a start tag, up to its ">" or "/>": each quoted, with
// text XML allows, and none repeated.
bool read_attributes(xml_reader& r, element& e) {
  const std::string& doc = r.doc;
  for (;;) {
    while (r.i < doc.size() && doc[r.i] == ' ') ++r.i;
    if (r.i >= doc.size()) return r.fail("unclosed tag");
    if (doc[r.i] == '>' || doc.compare(r.i, 2, "/>") == 0) return true;
    const std::size_t name_end = r.name_end(r.i);
    const std::string attribute = doc.substr(r.i, name_end - r.i);
    if (attribute.empty() || doc.compare(name_end, 2, "=\"") != 0)
      return r.fail("bad attribute");
    const std::size_t value_begin = name_end + 2;
    const std::size_t value_end = doc.find('"', value_begin);
    if (value_end == std::string::npos || !text_ok(doc, value_begin, value_end))
      return r.fail("bad attribute value");
    if (!e.attributes
             .emplace(attribute,
                      doc.substr(value_begin, value_end - value_begin))
             .second)
      return r.fail("repeated attribute " + attribute);
    r.i = value_end + 1;
  }
}

// A start tag read from its name on: an empty element is done at once, any
// other stays open until its end tag.
bool read_start_tag(xml_reader& r) {
  element e;
  const std::size_t end = r.name_end(r.i);
  e.name = r.doc.substr(r.i, end - r.i);
  if (e.name.empty()) return r.fail("tag without a name");
  r.i = end;
  if (!read_attributes(r, e)) return false;
  if (r.doc[r.i] == '/') {
    e.inner_begin = e.inner_end = r.i;
    r.done.push_back(e);
    r.i += 2;
    return true;
  }
  e.inner_begin = ++r.i;
  r.open.push_back(e);
  return true;
}

// Checks the part of XML well-formedness a browser insists on: every tag
// closed in order, attributes quoted and not repeated, "&" only in the five
// entities and character references, no "<" or control character in text.
// Returns the elements in document order, or an error in `fault`.
std::vector<element> parse_xml(const std::string& doc, std::string& fault) {
  xml_reader r(doc);
  const auto failed = [&](const std::string& what) {
    if (!what.empty()) r.fail(what);
    fault = r.fault;
    return std::vector<element>{};
  };
  if (doc.compare(0, 5, "<?xml") == 0) {
    r.i = doc.find("?>");
    if (r.i == std::string::npos) return failed("unclosed declaration");
    r.i += 2;
  }
  while (r.i < doc.size()) {
    const std::size_t lt = doc.find('<', r.i);
    if (lt == std::string::npos) {
      if (!text_ok(doc, r.i, doc.size())) return failed("bad text");
      break;
    }
    if (!text_ok(doc, r.i, lt)) return failed("bad text");
    if (r.open.empty() && doc.find_first_not_of(" \n", r.i) < lt)
      return failed("text outside the root");
    r.i = lt + 1;
    const bool end_tag = r.i < doc.size() && doc[r.i] == '/';
    if (end_tag) ++r.i;
    if (!(end_tag ? read_end_tag(r, lt) : read_start_tag(r))) return failed("");
  }
  if (!r.open.empty())
    return failed("<" + r.open.back().name + "> never closed");
  if (r.done.empty()) return failed("no element");
  return r.done;
}

const element* by_id(const std::vector<element>& all, const std::string& id) {
  for (const element& e : all) {
    const auto it = e.attributes.find("id");
    if (it != e.attributes.end() && it->second == id) return &e;
  }
  return nullptr;
}

// The elements named `name` that lie inside `outer`.
std::size_t count_inside(const std::vector<element>& all, const element& outer,
                         const std::string& name) {
  std::size_t n = 0;
  for (const element& e : all)
    if (e.name == name && e.inner_begin > outer.inner_begin &&
        e.inner_end <= outer.inner_end)
      ++n;
  return n;
}

// The points of a path: one per M or L command.
std::size_t path_points(const std::string& d) {
  std::size_t n = 0;
  for (char c : d) n += c == 'M' || c == 'L';
  return n;
}

// A small model: a line of `cells` cells, with whatever the case adds.
struct small_scenario {
  track_grid grid;
  line_table table;
  curve_table curves;
  plot_input input(bool with_plan) const {
    plot_input in;
    in.scenario_name = "Prova";
    in.train_name = "R 1";
    in.grid = &grid;
    in.table = &table;
    in.curves = with_plan ? &curves : nullptr;
    return in;
  }
};

small_scenario straight_line(std::int32_t cells) {
  small_scenario s;
  allocate_grid(s.grid, cells - 1);
  for (track_cell& c : s.grid.cells) {
    c.gradient = 100;
    c.speed_limit = 20;
  }
  const std::int32_t metres = (cells - 1) * cell_length_m;
  allocate_curve_table(s.curves, metres);
  for (std::int32_t m = 0; m <= metres; ++m) {
    EXPECT_TRUE(set_curve_real(s.curves, m, 0, 0.0));
    EXPECT_TRUE(set_curve_real(s.curves, m, 1, m));
  }
  s.table.slots[slot_train_line_data].to_m = metres;
  return s;
}

// ---------------------------------------------------------------------------

TEST(plot, embedded_scenario_gives_a_well_formed_picture_of_every_part) {
  temp_dir dir;
  compile_context ctx;
  ASSERT_TRUE(compile_embedded(dir, ctx));
  const tool_result r = run_scenario_tool(
      {"plot", "--dir", dir.path(), "--out", dir.file("picture.svg")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::string svg = dir.read("picture.svg");
  std::string fault;
  const std::vector<element> all = parse_xml(svg, fault);
  ASSERT_EQ(fault, "");
  EXPECT_EQ(all.back().name, "svg");

  for (const char* id : {"plan", "plan-track", "stations", "gradient", "height",
                         "speed", "speed-limit", "speed-boards", "mountains",
                         "signals", "boards", "slowdowns", "axis", "legend"})
    EXPECT_NE(by_id(all, id), nullptr) << id;

  // The plan is sampled, neither a point per metre nor a handful.
  const element* track = by_id(all, "plan-track");
  ASSERT_NE(track, nullptr);
  const std::size_t points = path_points(track->attributes.at("d"));
  EXPECT_GE(points, 500u);
  EXPECT_LE(points, 2000u);

  // Each station by name, each signal and speed board where it stands.
  std::size_t signals = 0, speed_boards = 0, text_boards = 0;
  for (const track_cell& c : ctx.grid.cells) {
    signals += c.kind == kind_signal;
    speed_boards += c.kind == kind_speed_board;
    text_boards += c.kind == kind_text_board;
  }
  const element* stations = by_id(all, "stations");
  ASSERT_NE(stations, nullptr);
  const std::string station_text = svg.substr(
      stations->inner_begin, stations->inner_end - stations->inner_begin);
  for (int slot = 1; slot <= 23; ++slot) {
    const std::string& name = ctx.table.slots[slot].label;
    EXPECT_NE(station_text.find(name.substr(0, 20)), std::string::npos) << name;
  }
  const element* signal_group = by_id(all, "signals");
  const element* speed_group = by_id(all, "speed-boards");
  const element* board_group = by_id(all, "boards");
  ASSERT_TRUE(signal_group != nullptr && speed_group != nullptr &&
              board_group != nullptr);
  EXPECT_EQ(count_inside(all, *signal_group, "line"), signals);
  EXPECT_EQ(count_inside(all, *speed_group, "rect"), speed_boards);
  EXPECT_EQ(count_inside(all, *board_group, "rect"), text_boards);
  // The summit tunnel is told from the open mountain stretches.
  std::size_t tunnels = 0, mountains = 0;
  for (const element& e : all) {
    const auto c = e.attributes.find("class");
    if (c == e.attributes.end()) continue;
    tunnels += c->second == "tunnel";
    mountains += c->second == "mountain";
  }
  EXPECT_EQ(tunnels, 1u);
  EXPECT_GT(mountains, 20u);
}

TEST(plot, slowdowns_are_bands_from_start_to_end) {
  small_scenario s = straight_line(200);
  s.grid.cells[21].kind = kind_slowdown_start;  // at 1000 m
  s.grid.cells[21].value1 = 60;
  s.grid.cells[31].kind = kind_slowdown_start;  // a second one inside it
  s.grid.cells[31].value1 = 50;
  s.grid.cells[41].kind = kind_slowdown_end;  // at 2000 m
  s.grid.cells[41].value1 = 60;
  s.grid.cells[51].kind = kind_slowdown_end;
  s.grid.cells[51].value1 = 50;
  s.grid.cells[100].kind = kind_slowdown_start;  // its end in its own cell
  s.grid.cells[100].value1 = 30;
  const std::string svg = plot_svg(s.input(true));
  std::string fault;
  const std::vector<element> all = parse_xml(svg, fault);
  ASSERT_EQ(fault, "");
  const element* bands = by_id(all, "slowdowns");
  ASSERT_NE(bands, nullptr);
  EXPECT_EQ(count_inside(all, *bands, "rect"), 3u);
  EXPECT_NE(svg.find("slowdown 60 km/h from 1.00 km to 2.00 km"),
            std::string::npos);
  EXPECT_NE(svg.find("slowdown 50 km/h from 1.50 km to 2.50 km"),
            std::string::npos);
  EXPECT_NE(svg.find("slowdown 30 km/h from 4.95 km to 4.95 km"),
            std::string::npos);
}

// Whatever a decodable file holds, the picture stays well-formed XML.
TEST(plot, odd_models_still_give_well_formed_pictures) {
  const struct {
    const char* note;
    std::function<void(small_scenario&)> change;
    bool with_plan;
  } cases[] = {
      {"labels with XML's special characters and control bytes",
       [](small_scenario& s) {
         s.table.slots[1].label = "A&B <C> \"q\" 'r' \x01\x1F \xE8";
         s.table.slots[1].at_m = 500;
         s.table.slots[1].kind = 2;
         s.table.slots[80].label = "]]> &amp; </text>";
         s.grid.cells[20].kind = kind_text_board;
         s.grid.cells[20].value1 = 80;
       },
       true},
      {"no line profile", [](small_scenario&) {}, false},
      {"a grid of one cell and an empty table",
       [](small_scenario& s) {
         allocate_grid(s.grid, 0);
         s.table = line_table{};
       },
       true},
      {"plan entries that are empty, not numbers or far out",
       [](small_scenario& s) {
         for (std::int32_t m = 100; m < 200; ++m)
           s.curves.tags[static_cast<std::size_t>(m)] = curve_tag::empty;
         EXPECT_TRUE(set_curve_real(s.curves, 300, 0,
                                    std::numeric_limits<double>::quiet_NaN()));
         EXPECT_TRUE(set_curve_real(s.curves, 400, 1, 1e300));
         EXPECT_TRUE(set_curve_real(s.curves, 500, 0,
                                    -std::numeric_limits<double>::infinity()));
       },
       true},
      {"a plan without any full point",
       [](small_scenario& s) { allocate_curve_table(s.curves, 10); }, true},
      {"values no compiler writes: negative lengths, slots, speeds",
       [](small_scenario& s) {
         s.table.slots[slot_train_line_data].to_m = -5;
         s.table.slots[2].at_m = std::numeric_limits<std::int32_t>::max();
         s.table.slots[2].from_m = std::numeric_limits<std::int32_t>::min();
         s.table.slots[2].time_s = -1;
         s.grid.cells[5] = {kind_text_board, -7, 0, 0, 0, 0, 0, 255, 255, 0, 0};
         s.grid.cells[6] = {
             kind_speed_board, -1, 32767, 0, -9, 0, 0, 0, 0, 255, 0};
         s.grid.cells[7] = {kind_signal, -100, 0, 0, 0, 200, 0, 0, 0, 1, 0};
         s.grid.cells[8] = {kind_slowdown_end, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
         s.grid.cells[9] = {99, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
       },
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    small_scenario s = straight_line(40);
    c.change(s);
    const std::string svg = plot_svg(s.input(c.with_plan));
    std::string fault;
    const std::vector<element> all = parse_xml(svg, fault);
    EXPECT_EQ(fault, "");
    for (const char* id : {"plan", "gradient", "speed", "mountains", "stations",
                           "signals", "legend"})
      EXPECT_NE(by_id(all, id), nullptr) << id;
    // Every number is a plain one.
    for (const element& e : all)
      for (const auto& [name, value] : e.attributes)
        EXPECT_TRUE(value.find("nan") == std::string::npos &&
                    value.find("inf") == std::string::npos)
            << e.name << " " << name << "=" << value;
  }
}

TEST(plot, escapes_labels_and_notes_a_missing_plan) {
  small_scenario s = straight_line(40);
  s.table.slots[1].label = "A&B <C>";
  s.table.slots[1].at_m = 500;
  const std::string svg = plot_svg(s.input(false));
  EXPECT_NE(svg.find("A&amp;B &lt;C&gt;"), std::string::npos);
  EXPECT_EQ(svg.find("plan-track"), std::string::npos);
  EXPECT_NE(svg.find("no line profile"), std::string::npos);
}

TEST(plot, a_scenario_compiled_without_its_plan_is_drawn_without_it) {
  temp_dir dir;
  ASSERT_EQ(run_scenario_tool({"export", "--dir", dir.path()}).status, 0);
  ASSERT_EQ(run_scenario_tool({"compile", "--dir", dir.path(), "--no-profile"})
                .status,
            0);
  const tool_result r = run_scenario_tool(
      {"plot", "--dir", dir.path(), "--out", dir.file("p.svg")});
  EXPECT_EQ(r.status, 0) << r.err;
  std::string fault;
  parse_xml(dir.read("p.svg"), fault);
  EXPECT_EQ(fault, "");
  EXPECT_NE(dir.read("p.svg").find("no line profile"), std::string::npos);
}

TEST(plot, damaged_or_missing_files_stop_it_without_a_picture) {
  temp_dir dir;
  compile_context ctx;
  ASSERT_TRUE(compile_embedded(dir, ctx));
  const std::string track = dir.read(embedded_track_file);
  const std::string table = dir.read(embedded_table_file);
  const std::string profile = dir.read(embedded_profile_file);
  const struct {
    const char* note;
    const char* file;
    std::string bytes;
    std::string says;
  } cases[] = {
      {"a track file cut short", embedded_track_file,
       track.substr(0, track.size() - 7),
       ": byte " + std::to_string(track.size() - 15) + ": error: "},
      {"a line table with a byte too many", embedded_table_file, table + "x",
       ": byte " + std::to_string(table.size()) + ": error: "},
      {"a profile with an unknown tag", embedded_profile_file,
       std::string("\x09\x00", 2) + profile.substr(2), ": byte 0: error: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    temp_dir damaged;
    for (const char* name :
         {embedded_track_file, embedded_table_file, embedded_profile_file})
      damaged.write(name, dir.read(name));
    damaged.write(c.file, c.bytes);
    const tool_result r = run_scenario_tool(
        {"plot", "--dir", damaged.path(), "--out", damaged.file("p.svg")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(join_path(damaged.path(), c.file) + c.says),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(damaged.contains("p.svg"));
  }
  // Without binary files or sources there is nothing to draw: the plot says
  // what check says, that the line source is missing.
  temp_dir empty;
  const tool_result r = run_scenario_tool(
      {"plot", "--dir", empty.path(), "--out", empty.file("p.svg")});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("error 101: the line source does not exist"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(empty.names(), std::set<std::string>{});
  // --out is required.
  EXPECT_EQ(run_scenario_tool({"plot", "--dir", dir.path()}).status, 2);
}

// The text between an element's tags.
std::string inner(const std::string& svg, const element& e) {
  return svg.substr(e.inner_begin, e.inner_end - e.inner_begin);
}

void make_newer(const temp_dir& dir, const std::string& name) {
  std::error_code ec;
  const auto path = std::filesystem::path(dir.file(name));
  std::filesystem::last_write_time(
      path, std::filesystem::last_write_time(path, ec) + std::chrono::hours(1),
      ec);
}

TEST(plot, draws_the_sources_when_the_binaries_are_missing_or_stale) {
  temp_dir dir;
  ASSERT_EQ(run_scenario_tool({"export", "--dir", dir.path()}).status, 0);
  const std::string train_name = "Cendra_Gelsio2_EC 482-.txt";
  const std::string train = dir.read(train_name);
  const std::string out = dir.file("p.svg");

  tool_result r =
      run_scenario_tool({"plot", "--dir", dir.path(), "--out", out});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "drew " + out +
                       " from the sources, compiled in memory (there are no "
                       "binary files)\n");
  std::string svg = dir.read("p.svg");
  std::string fault;
  std::vector<element> all = parse_xml(svg, fault);
  ASSERT_EQ(fault, "");
  // Marks lead back to their rows: the signal at 2000 m is line 52.
  EXPECT_NE(
      svg.find("data-src=\"" + join_path(dir.path(), train_name) + ":52\""),
      std::string::npos);
  // Every station is named in the plan, however the names crowd there.
  const element* plan_names = by_id(all, "plan-stations");
  ASSERT_NE(plan_names, nullptr);
  const std::string named = inner(svg, *plan_names);
  for (const char* name :
       {"CENDRA", "PRALUSCO", "SASSOLIVO", "TORNAVALLE", "PONTEVISCO",
        "CAVORNA", "SANTALBA", "GELSIO Porta Nord",
        "MERLASCO - VIGNARDO - SOTTORIVA"})
    EXPECT_NE(named.find(std::string(">") + name + "</text>"),
              std::string::npos)
        << name;
  EXPECT_EQ(dir.names().count("Cendra_Gelsio2_EC 482.dat"), 0u);

  // Binaries older than the sources are passed over, unless asked for.
  ASSERT_EQ(run_scenario_tool({"compile", "--dir", dir.path(), "-q"}).status,
            0);
  make_newer(dir, train_name);
  r = run_scenario_tool({"plot", "--dir", dir.path(), "--out", out});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("compiled in memory (the binary files are older than "
                       "the sources)"),
            std::string::npos)
      << r.out;
  r = run_scenario_tool(
      {"plot", "--dir", dir.path(), "--out", out, "--from-binaries"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "drew " + out + " from the binary files\n");
  EXPECT_NE(r.err.find("warning"), std::string::npos) << r.err;

  // Sources with an error give their diagnostics and no picture.
  dir.write(train_name,
            std::string(train).replace(train.find("stazione,   25000,"), 18,
                                       "stazione,   25020,"));
  ASSERT_TRUE(std::filesystem::remove(out));
  r = run_scenario_tool({"plot", "--dir", dir.path(), "--out", out});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(":30:13: error 8: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("no picture drawn: 1 error"), std::string::npos)
      << r.err;
  EXPECT_FALSE(dir.contains("p.svg"));
}

TEST(plot, from_and_to_draw_a_stretch_of_the_line) {
  temp_dir dir;
  compile_context ctx;
  ASSERT_TRUE(compile_embedded(dir, ctx));
  const tool_result r =
      run_scenario_tool({"plot", "--dir", dir.path(), "--from", "1.5", "--to",
                         "2.5", "--out", dir.file("p.svg")});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string svg = dir.read("p.svg");
  std::string fault;
  const std::vector<element> all = parse_xml(svg, fault);
  ASSERT_EQ(fault, "");
  const element& root = all.back();
  EXPECT_EQ(root.attributes.at("data-from-m"), "1500");
  EXPECT_EQ(root.attributes.at("data-to-m"), "2500");
  // The kilometre holds one signal (2000 m) and one speed board (1700 m).
  const element* signals = by_id(all, "signals");
  const element* boards = by_id(all, "speed-boards");
  ASSERT_TRUE(signals != nullptr && boards != nullptr);
  EXPECT_EQ(count_inside(all, *signals, "g"), 1u);
  EXPECT_NE(inner(svg, *signals).find("<title>signal at 2.00 km"),
            std::string::npos);
  EXPECT_EQ(count_inside(all, *boards, "rect"), 1u);
  EXPECT_NE(inner(svg, *boards).find("<title>speed board at 1.70 km"),
            std::string::npos);
  // A narrow stretch keeps the least width; the whole line gets more.
  EXPECT_EQ(root.attributes.at("width"), "1000");

  EXPECT_EQ(run_scenario_tool({"plot", "--dir", dir.path(), "--from", "2",
                               "--to", "1", "--out", dir.file("q.svg")})
                .status,
            2);
  EXPECT_FALSE(dir.contains("q.svg"));
}

TEST(plot, refuses_an_out_that_is_not_svg) {
  temp_dir dir;
  compile_context ctx;
  ASSERT_TRUE(compile_embedded(dir, ctx));
  const struct {
    const char* name;
    int status;
  } cases[] = {
      {"p.png", 2},      // the case that wrote SVG into a PNG file
      {"p", 2},          // no extension at all
      {"p.svg.txt", 2},  // .svg inside the name only
      {".svg", 2},       // nothing before the extension
      {"P.SVG", 0},      // the extension in capitals is still SVG
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const tool_result r = run_scenario_tool(
        {"plot", "--dir", dir.path(), "--out", dir.file(c.name)});
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(dir.contains(c.name), c.status == 0);
    if (c.status != 0) {
      EXPECT_NE(r.err.find("give a file name that ends in .svg"),
                std::string::npos)
          << r.err;
    }
  }
}

}  // namespace
