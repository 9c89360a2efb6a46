#include "tool/inspect/dump.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "model/stored_values.h"
#include "output/file_format.h"
#include "test/tool_run.h"
#include "tool/inspect/model_views.h"

namespace {

using json = nlohmann::json;

std::string as_text(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The part of a dump from the line that starts with `heading` up to the next
// line that is not indented; empty when there is no such heading.
std::string section(const std::string& text, const std::string& heading) {
  std::size_t start = text.rfind("\n" + heading, std::string::npos);
  if (start == std::string::npos) return "";
  ++start;
  std::size_t end = start;
  do {
    end = text.find('\n', end);
    if (end == std::string::npos) return text.substr(start);
    ++end;
  } while (end < text.size() && text[end] == ' ');
  return text.substr(start, end - start);
}

// The first line of `text` that starts with `start` after its indentation.
std::string line_starting(const std::string& text, const std::string& start) {
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(from, end - from);
    const std::size_t first = line.find_first_not_of(' ');
    if (first != std::string::npos &&
        line.compare(first, start.size(), start) == 0)
      return line;
    from = end + 1;
  }
  return "";
}

struct line_case {
  std::string starts;              // how the line begins
  std::vector<std::string> shows;  // what it must hold
  const char* note;
};

void expect_lines(const std::string& text,
                  const std::vector<line_case>& cases) {
  for (const line_case& c : cases) {
    SCOPED_TRACE(c.note);
    const std::string line = line_starting(text, c.starts);
    ASSERT_FALSE(line.empty()) << "no line starts with '" << c.starts << "'";
    for (const std::string& part : c.shows)
      EXPECT_TRUE(has(line, part)) << "'" << part << "' not in: " << line;
  }
}

// The byte offset of a slot's record in the line table file.
std::size_t record_offset(const line_table& table, int slot) {
  std::size_t offset = 0;
  for (int s = 0; s < slot; ++s)
    offset += record_fixed_bytes +
              table.slots[static_cast<std::size_t>(s)].label.size();
  return offset;
}

// Labels travel through JSON as Latin-1 turned into UTF-8; this is the way
// back, for the two-byte sequences that produces.
std::string latin1_of(const std::string& utf8) {
  std::string bytes;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b >= 0xC0 && i + 1 < utf8.size()) {
      const auto next = static_cast<unsigned char>(utf8[++i]);
      bytes += static_cast<char>(((b & 0x03) << 6) | (next & 0x3F));
    } else {
      bytes += utf8[i];
    }
  }
  return bytes;
}

// ---------------------------------------------------------------------------
// The embedded scenario, as the program compiles it.

TEST(dump, track_file_shows_cells_by_kind_and_stretches_as_runs) {
  temp_dir dir;
  compile_context ctx;
  ASSERT_TRUE(compile_embedded(dir, ctx));
  const tool_result r =
      run_scenario_tool({"dump", dir.file(embedded_track_file)});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");

  const std::string cells = section(r.out, "cells that hold anything");
  expect_lines(
      cells,
      {
          {"cell 1 ",
           {"value1=5121", "value2=" + std::to_string(ctx.grid.cells[1].value2),
            "race code"},
           "the header values"},
          {"cell 41 ",
           {"(2000 m)", "signal", "value1=40 value2=0 value3=0 value4=6",
            "timer=0", "s1=4 d1=0", "sx=2 dx=0"},
           "the signal at 2000 m"},
          {"cell 39 ", {"plain track", "approach=61"}, "its first mark"},
          {"cell 2115 ",
           {"signal", "value1=22 value2=31 value3=11 value4=8", "timer=215",
            "s1=2 d1=2 s2=3 d2=1 s3=1 d3=1 rapp=0 sx=2 dx=2"},
           "the last signal, with a timer"},
          {"cell 35 ",
           {"speed board", "value1=1400 value2=1500 value3=1500 value4=0",
            "speeds 70/75/75 km/h"},
           "the speed board at 1700 m"},
          {"cell 11 ",
           {"station marker", "value1=1", "slot 1"},
           "the first station's marker"},
          {"cell 124 ",
           {"text board", "value1=80", "slot 80"},
           "the board with text at 6150 m"},
          {"cell 127 ", {"tunnel marker"}, "the tunnel's first marker"},
      });
  // Every cell that holds something has its line, and no other cell does.
  std::size_t holding = 0;
  for (const track_cell& c : ctx.grid.cells)
    if (c.kind != 0 || c.value1 != 0 || c.value2 != 0 || c.value3 != 0 ||
        c.value4 != 0 || c.timer != 0 || c.approach != 0)
      ++holding;
  std::size_t lines = 0;
  for (std::size_t at = cells.find("\n  cell "); at != std::string::npos;
       at = cells.find("\n  cell ", at + 1))
    ++lines;
  EXPECT_EQ(lines, holding);
  EXPECT_EQ(line_starting(cells, "cell 2 "), "");

  expect_lines(section(r.out, "gradient"),
               {{"cells 0-45 ", {"0-2300 m", "100", "level"}, "level start"},
                {"cells 46-77 ", {"2300-3900 m", "105", "+5 per mille"}, "5"},
                {"cells 374-427 ", {"70", "-30 per mille"}, "steepest down"},
                {"cells 2298-2300 ", {"not filled"}, "the unfilled end"}});
  expect_lines(section(r.out, "speed limit"),
               {{"cells 0-33 ", {"30 km/h"}, "first stretch"},
                {"cells 34-121 ", {"1700-6100 m", "15", "75 km/h"}, "75"}});
  expect_lines(section(r.out, "mountain"),
               {{"cells 75-86 ", {"3750-4350 m", "mountain type 2"}, "first"},
                {"cells 124-389 ",
                 {"6200-19500 m", "tunnel, type 1"},
                 "the summit tunnel"},
                {"cells 873-875 ", {"mountain type 3"}, "the close row"}});
}

TEST(dump, line_table_shows_every_used_slot_by_role) {
  temp_dir dir;
  compile_context ctx;
  ASSERT_TRUE(compile_embedded(dir, ctx));
  const tool_result r =
      run_scenario_tool({"dump", dir.file(embedded_table_file)});
  ASSERT_EQ(r.status, 0) << r.err;

  const line_record& header = ctx.table.slots[slot_scenario_header];
  expect_lines(
      r.out,
      {
          {"slot  1 ",
           {"station 1 \"CENDRA\"", "kind 2", "at 200 m",
            "platform -200 to 600 m", "time 18:44:00"},
           "the start terminal"},
          {"slot 23 ", {"\"GELSIO Porta Nord\"", "time 20:02:00"}, "the end"},
          {"slot 80 ",
           {"board text \"(GALLERIA  )(DEL VADDRO)(m.13300   )\""},
           "the first board"},
          {"slot 83 ", {"kilometre reference one"}, "cleared, still shown"},
          {"slot 84 ", {"line length 108000 m", "7 carriages"}, "line data"},
          {"slot 85 ",
           {"scenario header \"Cendra_Gelsio2\"",
            "race code " + std::to_string(header.time_s), "mark 610"},
           "the scenario header"},
          {"slot 86 ",
           {"train header \"EC 482\"", "clock 18:43:30"},
           "the train header"},
      });
  // Each slot's fields follow on the next line, by name.
  const std::size_t first = r.out.find("slot  1 ");
  ASSERT_NE(first, std::string::npos);
  EXPECT_TRUE(has(r.out.substr(first, 400),
                  "kind=2 from_m=-200 to_m=600 at_m=200 opt_a=1"));
  EXPECT_TRUE(has(r.out.substr(first, 400), "time_s=67440"));
  // Cleared slots between the stations and the board texts are left out.
  for (const char* unused : {"slot  0 ", "slot 24 ", "slot 77 "})
    EXPECT_EQ(line_starting(r.out, unused), "") << unused;
}

TEST(dump, profile_shows_tag_counts_and_plan_points) {
  temp_dir dir;
  compile_context ctx;
  ASSERT_TRUE(compile_embedded(dir, ctx));
  const tool_result r = run_scenario_tool(
      {"dump", "--every", "25000", dir.file(embedded_profile_file)});
  ASSERT_EQ(r.status, 0) << r.err;

  const std::int32_t l = ctx.curves.last_metre;
  const std::string counts =
      ": 2 integer, " + std::to_string(l - 3) + " double, 2 empty";
  char x[32], y[32];
  std::snprintf(x, sizeof x, "x %.3f", curve_value(ctx.curves, 50000, 0));
  std::snprintf(y, sizeof y, "y %.3f", curve_value(ctx.curves, 50000, 1));
  expect_lines(r.out,
               {{"coordinate 0", {counts}, "first coordinate"},
                {"coordinate 1", {counts}, "second coordinate"},
                {"metres with both",
                 {"up to " + std::to_string(l - 2)},
                 "the plan ends two metres short"},
                {"m 0 ", {"x 0 (integer)", "y 0 (integer)"}, "the origin"},
                {"m 50000 ", {x, y}, "a point on the way"},
                {"m " + std::to_string(l - 2), {"x "}, "the last point"}});
  EXPECT_EQ(line_starting(r.out, "m 10000 "), "");  // only every 25000 m
}

// The JSON holds every value: the files can be built again from it.
TEST(dump, json_gives_back_every_value_of_the_three_files) {
  temp_dir dir;
  compile_context ctx;
  ASSERT_TRUE(compile_embedded(dir, ctx));
  const tool_result r = run_scenario_tool(
      {"dump", "--json", dir.file(embedded_track_file),
       dir.file(embedded_table_file), dir.file(embedded_profile_file)});
  ASSERT_EQ(r.status, 0) << r.err;
  const json all = json::parse(r.out, nullptr, false);
  ASSERT_FALSE(all.is_discarded()) << r.out.substr(0, 200);
  ASSERT_TRUE(all.is_array());
  ASSERT_EQ(all.size(), 3u);

  const json& track = all[0];
  EXPECT_EQ(track["kind"], "track");
  track_grid grid;
  allocate_grid(grid, track["cell_count"].get<std::int32_t>() - 1);
  for (const json& c : track["cells"]) {
    track_cell& cell = grid.cells.at(c["cell"].get<std::size_t>());
    cell.kind = c["kind"].get<std::uint8_t>();
    cell.value1 = c["value1"].get<std::int16_t>();
    cell.value2 = c["value2"].get<std::int16_t>();
    cell.value3 = c["value3"].get<std::int16_t>();
    cell.value4 = c["value4"].get<std::int16_t>();
    cell.timer = c["timer"].get<std::uint8_t>();
    cell.approach = c["approach"].get<std::uint8_t>();
    if (c["cell"] == 41) {
      EXPECT_EQ(c["kind_name"], "signal");
      EXPECT_EQ(c["signal"]["s1"], 4);
      EXPECT_EQ(c["signal"]["sx"], 2);
    }
  }
  const struct {
    const char* name;
    std::uint8_t track_cell::*field;
  } stretches[] = {{"gradient", &track_cell::gradient},
                   {"speed_limit", &track_cell::speed_limit},
                   {"adhesion", &track_cell::adhesion},
                   {"mountain", &track_cell::mountain}};
  for (const auto& f : stretches)
    for (const json& run : track["runs"][f.name])
      for (auto i = run["from_cell"].get<std::size_t>();
           i <= run["to_cell"].get<std::size_t>(); ++i)
        grid.cells.at(i).*f.field = run["value"].get<std::uint8_t>();
  EXPECT_EQ(as_text(track_bytes(grid)), dir.read(embedded_track_file));

  const json& table = all[1];
  EXPECT_EQ(table["kind"], "table");
  compile_context rebuilt;
  for (const json& s : table["slots"]) {
    line_record& rec = rebuilt.table.slots.at(s["slot"].get<std::size_t>());
    rec.kind = s["kind"].get<std::uint8_t>();
    rec.from_m = s["from_m"].get<std::int32_t>();
    rec.to_m = s["to_m"].get<std::int32_t>();
    rec.at_m = s["at_m"].get<std::int32_t>();
    rec.opt_a = s["opt_a"].get<std::uint8_t>();
    rec.label = latin1_of(s["label"].get<std::string>());
    rec.num_a = s["num_a"].get<std::int16_t>();
    rec.num_b = s["num_b"].get<std::int16_t>();
    rec.num_c = s["num_c"].get<std::int16_t>();
    rec.num_d = s["num_d"].get<std::int16_t>();
    rec.num_e = s["num_e"].get<std::int16_t>();
    rec.opt_b = s["opt_b"].get<std::uint8_t>();
    rec.opt_c = s["opt_c"].get<std::uint8_t>();
    rec.opt_d = s["opt_d"].get<std::uint8_t>();
    rec.opt_e = s["opt_e"].get<std::uint8_t>();
    rec.time_s = s["time_s"].get<std::int32_t>();
  }
  std::vector<std::uint8_t> image;
  ASSERT_TRUE(line_table_bytes(rebuilt, image).ok());
  EXPECT_EQ(as_text(image), dir.read(embedded_table_file));
  EXPECT_EQ(table["slots"][0]["time"], "18:44:00");
  EXPECT_EQ(table["slots"].back()["clock"], "18:43:30");

  const json& profile = all[2];
  EXPECT_EQ(profile["kind"], "profile");
  EXPECT_EQ(profile["last_metre"], ctx.curves.last_metre);
  for (int c = 0; c < 2; ++c) {
    const tag_counts n = count_tags(ctx.curves, c);
    EXPECT_EQ(profile["tags"][c]["empty"], n.empty);
    EXPECT_EQ(profile["tags"][c]["integer"], n.integer);
    EXPECT_EQ(profile["tags"][c]["double"], n.real);
  }
  ASSERT_GT(profile["points"].size(), 100u);
  // Empty entries (the plan's last two metres) are null, the others exact.
  std::size_t nulls = 0;
  for (const json& p : profile["points"]) {
    const auto m = p["m"].get<std::int64_t>();
    for (int c = 0; c < 2; ++c) {
      const json& v = p[c == 0 ? "x" : "y"];
      if (curve_tag_at(ctx.curves, m, c) == curve_tag::empty) {
        EXPECT_TRUE(v.is_null()) << m;
        ++nulls;
      } else {
        EXPECT_EQ(v.get<double>(), curve_value(ctx.curves, m, c)) << m;
      }
    }
  }
  EXPECT_EQ(nulls, 2u);  // metre L, a multiple of 1000
}

// The kinds that hold one number per value show each under the name the
// table of cell kinds gives it, in the text and in the JSON.
TEST(dump, plain_values_are_shown_by_their_names) {
  temp_dir dir;
  track_grid grid;
  allocate_grid(grid, 8);
  const track_cell cells[] = {
      {kind_slowdown_start, 60, 40, 2, 0, 0, 0, 0, 0, 0, 0},
      {kind_slowdown_end, 60, 0, 2, 0, 0, 0, 0, 0, 0, 0},
      {kind_warning_board, 60, 40, 0, 0, 0, 0, 0, 0, 0, 0},
      {kind_pre_warning, 3, 3, 0, 0, 0, 0, 0, 0, 0, 0},
      {kind_station_marker, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {kind_code_marker, 180, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {kind_text_board, 79, 0, 0, 0, 0, 0, 0, 0, 0, 0},
  };
  for (std::size_t i = 0; i < std::size(cells); ++i)
    grid.cells[i + 2] = cells[i];
  dir.write("t.dat", as_text(track_bytes(grid)));
  const tool_result text = run_scenario_tool({"dump", dir.file("t.dat")});
  ASSERT_EQ(text.status, 0) << text.err;
  const tool_result js =
      run_scenario_tool({"dump", "--json", dir.file("t.dat")});
  ASSERT_EQ(js.status, 0) << js.err;
  const json all = json::parse(js.out, nullptr, false);
  ASSERT_FALSE(all.is_discarded());

  for (std::size_t i = 0; i < std::size(cells); ++i) {
    const track_cell& c = cells[i];
    const cell_kind_info* info = find_cell_kind(c.kind);
    ASSERT_NE(info, nullptr);
    SCOPED_TRACE(info->name);
    const std::string line =
        line_starting(text.out, "cell " + std::to_string(i + 2) + " ");
    const json& shown = all[0]["cells"][i]["values"];
    const std::int16_t values[] = {c.value1, c.value2, c.value3, c.value4};
    std::size_t named = 0;
    for (std::size_t v = 0; v < 4; ++v) {
      const std::string name = info->values[v].name;
      if (name.empty()) continue;
      ++named;
      EXPECT_TRUE(has(line, name + " " + std::to_string(values[v]))) << line;
      EXPECT_EQ(shown[name], values[v]);
    }
    EXPECT_GT(named, 0u);
    EXPECT_EQ(shown.size(), named);
  }
}

// ---------------------------------------------------------------------------
// Decoding, byte for byte.

// Extreme values of every width survive decoding and encoding again, which a
// sign or byte-order slip in either direction would not.
TEST(dump, decoders_give_back_the_bytes_they_read) {
  track_grid grid;
  allocate_grid(grid, 2);
  grid.cells[0] = {255, -32768, 32767, -1, 1, 255, 128, 127, 1, 0, 200};
  grid.cells[2] = {14, 80, 0, 0, -300, 0, 0, 11, 22, 130, 100};
  const std::vector<std::uint8_t> track = track_bytes(grid);
  track_grid track_back;
  ASSERT_TRUE(decode_track(as_text(track), track_back).ok());
  EXPECT_EQ(track_bytes(track_back), track);

  compile_context ctx;
  ctx.table.slots[1].label = "CAFF\xC8 \"A\"\\B";
  ctx.table.slots[1].from_m = std::numeric_limits<std::int32_t>::min();
  ctx.table.slots[1].time_s = -1;
  ctx.table.slots[1].num_e = -2;
  ctx.table.slots[86].label = std::string(65535, 'x');
  ctx.table.slots[86].opt_e = 255;
  std::vector<std::uint8_t> table;
  ASSERT_TRUE(line_table_bytes(ctx, table).ok());
  line_table table_back;
  ASSERT_TRUE(decode_line_table(as_text(table), table_back).ok());
  compile_context again;
  again.table = table_back;
  std::vector<std::uint8_t> table_again;
  ASSERT_TRUE(line_table_bytes(again, table_again).ok());
  EXPECT_EQ(table_again, table);

  curve_table curves;
  allocate_curve_table(curves, 3);
  ASSERT_TRUE(set_curve_int16(curves, 0, 0, -32768));
  ASSERT_TRUE(set_curve_real(curves, 1, 0, -0.0));
  ASSERT_TRUE(set_curve_real(curves, 2, 1, 1e308));
  ASSERT_TRUE(set_curve_real(curves, 3, 1, 5e-324));
  const std::vector<std::uint8_t> profile = line_profile_bytes(curves);
  curve_table curves_back;
  ASSERT_TRUE(decode_line_profile(as_text(profile), curves_back).ok());
  EXPECT_EQ(curves_back.last_metre, 3);
  EXPECT_EQ(line_profile_bytes(curves_back), profile);
}

TEST(dump, labels_show_every_byte_in_text_and_json) {
  temp_dir dir;
  compile_context ctx;
  ctx.table.slots[1].label = "CAFF\xC8 \"A\"\\B";
  ctx.table.slots[1].kind = 2;
  std::vector<std::uint8_t> image;
  ASSERT_TRUE(line_table_bytes(ctx, image).ok());
  dir.write("odd.sim", as_text(image));

  const tool_result text = run_scenario_tool({"dump", dir.file("odd.sim")});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_TRUE(has(text.out, "station 1 \"CAFF\\xC8 \\\"A\\\"\\\\B\""))
      << text.out;

  const tool_result js =
      run_scenario_tool({"dump", "--json", dir.file("odd.sim")});
  ASSERT_EQ(js.status, 0) << js.err;
  const json all = json::parse(js.out, nullptr, false);
  ASSERT_FALSE(all.is_discarded());
  const std::string label = all[0]["slots"][0]["label"].get<std::string>();
  EXPECT_EQ(label, "CAFF\xC3\x88 \"A\"\\B");  // the byte C8 is U+00C8
  EXPECT_EQ(latin1_of(label), ctx.table.slots[1].label);
}

// ---------------------------------------------------------------------------
// Damaged files.

TEST(dump, damaged_files_are_refused_with_name_and_offset) {
  temp_dir dir;
  compile_context ctx;
  ASSERT_TRUE(compile_embedded(dir, ctx));
  const std::string track = dir.read(embedded_track_file);
  const std::string table = dir.read(embedded_table_file);
  const std::string profile = dir.read(embedded_profile_file);
  const std::size_t slot2 = record_offset(ctx.table, 2);
  const std::size_t slot1 = record_offset(ctx.table, 1);
  std::string long_label = table;
  long_label[slot1 + 14] = '\x60';  // label length 60000 (0xEA60)
  long_label[slot1 + 15] = '\xEA';
  std::string bad_tag = profile;
  bad_tag[18] = '\x07';  // entry 2 is a double at 8, entry 3 starts at 18

  const struct {
    const char* note;
    const char* name;
    std::string bytes;
    std::vector<std::string> args;  // before the file
    std::size_t offset;
    const char* says;
  } cases[] = {
      {"a track file one byte short",
       "t.dat",
       track.substr(0, track.size() - 1),
       {},
       track.size() - 15,
       "not a whole number of 15-byte cells"},
      {"a track file one byte long",
       "t.dat",
       track + "x",
       {},
       track.size(),
       "1 bytes left after cell 2300"},
      {"an empty track file", "t.dat", "", {}, 0, "empty"},
      {"a line table cut inside slot 2",
       "t.sim",
       table.substr(0, slot2 + 20),
       {},
       slot2,
       "the record of slot 2 is cut short"},
      {"a line table with a byte after slot 86",
       "t.sim",
       table + "x",
       {},
       table.size(),
       "1 bytes follow the record of slot 86"},
      {"a label length past the end",
       "t.sim",
       long_label,
       {},
       slot1,
       "label length 60000"},
      {"an empty line table", "t.sim", "", {}, 0, "slot 0 is cut short"},
      {"an unknown tag", "p_linea.dat", bad_tag, {}, 18, "unknown tag 7"},
      {"a profile cut inside a double",
       "p_linea.dat",
       profile.substr(0, profile.size() - 5),
       {},
       profile.size() - 14,
       "cut short"},
      {"a profile with a byte too many",
       "p_linea.dat",
       profile + "x",
       {},
       profile.size(),
       "one byte where a 2-byte tag belongs"},
      {"a profile with an odd entry count",
       "p_linea.dat",
       profile.substr(0, profile.size() - 2),
       {},
       profile.size() - 2,
       "odd count"},
      {"an empty profile", "p_linea.dat", "", {}, 0, "empty"},
      {"a line table read as a track file",
       "t.sim",
       table,
       {"--kind", "track"},
       table.size() - table.size() % 15,
       "15-byte cells"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    dir.write(c.name, c.bytes);
    std::vector<std::string> args = {"dump"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back(dir.file(c.name));
    const tool_result r = run_scenario_tool(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(has(r.err, dir.file(c.name) + ": byte " +
                               std::to_string(c.offset) + ": error: "))
        << r.err;
    EXPECT_TRUE(has(r.err, c.says)) << r.err;
  }
}

// One bad file does not hide the others: each is dumped or refused in turn.
TEST(dump, goes_on_after_a_refused_file_and_ends_with_status_2) {
  temp_dir dir;
  compile_context ctx;
  ASSERT_TRUE(compile_embedded(dir, ctx));
  dir.write("notes.txt", "not a binary file");
  const struct {
    std::vector<std::string> args;
    const char* says;
    const char* note;
  } cases[] = {
      {{dir.file("notes.txt")}, "--kind", "a name that tells no kind"},
      {{dir.file("missing.dat")}, "missing.dat", "a file that is not there"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    std::vector<std::string> args = {"dump"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back(dir.file(embedded_table_file));
    const tool_result r = run_scenario_tool(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(has(r.err, c.says)) << r.err;
    EXPECT_TRUE(has(r.out, "line table, ")) << r.out;
  }
  const tool_result bad_kind = run_scenario_tool(
      {"dump", "--kind", "grid", dir.file(embedded_table_file)});
  EXPECT_EQ(bad_kind.status, 2);
  EXPECT_TRUE(has(bad_kind.err, "grid")) << bad_kind.err;
  const tool_result none = run_scenario_tool({"dump"});
  EXPECT_EQ(none.status, 2);
  EXPECT_TRUE(has(none.err, "FILE")) << none.err;
}

}  // namespace
