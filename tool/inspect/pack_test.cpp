#include "tool/inspect/pack.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "output/file_format.h"
#include "test/tool_run.h"

namespace {

using json = nlohmann::ordered_json;

std::string as_text(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The embedded scenario's three files, dumped as JSON with every metre of
// the plan, packed into another folder: the same bytes. A second pack there
// replaces nothing without --force.
TEST(pack, dump_json_packs_back_to_the_compiled_files) {
  temp_dir dir;
  compile_context ctx;
  ASSERT_TRUE(compile_embedded(dir, ctx));
  const tool_result dumped = run_scenario_tool(
      {"dump", "--json", "--every", "1", dir.file(embedded_track_file),
       dir.file(embedded_table_file), dir.file(embedded_profile_file)});
  ASSERT_EQ(dumped.status, 0) << dumped.err;
  dir.write("dump.json", dumped.out);

  const std::string out = dir.file("packed");
  const tool_result packed =
      run_scenario_tool({"pack", "--dir", out, dir.file("dump.json")});
  ASSERT_EQ(packed.status, 0) << packed.err;
  EXPECT_EQ(packed.out, "wrote 3 files\n");
  for (const char* name :
       {embedded_track_file, embedded_table_file, embedded_profile_file})
    EXPECT_EQ(dir.read(std::string("packed/") + name), dir.read(name)) << name;

  const tool_result again =
      run_scenario_tool({"pack", "--dir", out, dir.file("dump.json")});
  EXPECT_EQ(again.status, 2);
  EXPECT_TRUE(has(again.err, "already exists")) << again.err;
  EXPECT_TRUE(has(again.err, "use --force")) << again.err;
  EXPECT_EQ(run_scenario_tool(
                {"pack", "--force", "--dir", out, dir.file("dump.json")})
                .status,
            0);
}

// Doubles JSON has no number for travel as strings, a NaN with its bits, so
// that a plan holding them comes back whole.
TEST(pack, doubles_beyond_json_numbers_come_back_bit_for_bit) {
  std::uint64_t odd_nan_bits = 0x7FF4000000000123ULL;
  double odd_nan = 0;
  std::memcpy(&odd_nan, &odd_nan_bits, sizeof odd_nan);
  curve_table curves;
  allocate_curve_table(curves, 3);
  ASSERT_TRUE(
      set_curve_real(curves, 0, 0, std::numeric_limits<double>::infinity()));
  ASSERT_TRUE(
      set_curve_real(curves, 1, 0, -std::numeric_limits<double>::infinity()));
  ASSERT_TRUE(
      set_curve_real(curves, 2, 0, std::numeric_limits<double>::quiet_NaN()));
  ASSERT_TRUE(set_curve_real(curves, 3, 0, odd_nan));
  ASSERT_TRUE(set_curve_real(curves, 0, 1, -0.0));
  ASSERT_TRUE(set_curve_real(curves, 1, 1, 0.1));
  ASSERT_TRUE(set_curve_int16(curves, 2, 1, -32768));
  const std::vector<std::uint8_t> bytes = line_profile_bytes(curves);

  temp_dir dir;
  dir.write("p_linea.dat", as_text(bytes));
  const tool_result dumped = run_scenario_tool(
      {"dump", "--json", "--every", "1", dir.file("p_linea.dat")});
  ASSERT_EQ(dumped.status, 0) << dumped.err;
  const json all = json::parse(dumped.out);
  const json& points = all[0]["points"];
  EXPECT_EQ(points[0]["x"], "inf");
  EXPECT_EQ(points[1]["x"], "-inf");
  EXPECT_EQ(points[2]["x"], "nan");
  EXPECT_EQ(points[3]["x"], "nan:7ff4000000000123");
  EXPECT_TRUE(points[3]["y"].is_null());

  std::vector<std::uint8_t> packed;
  std::string fault;
  ASSERT_TRUE(pack_object(all[0], packed, fault)) << fault;
  EXPECT_EQ(as_text(packed), as_text(bytes));
}

// A value that does not fit its field, or an object dump does not write, is
// refused with the field named; and then no file of the set is written.
TEST(pack, refuses_what_no_file_holds_and_names_the_field) {
  const json track = {
      {"file", "t.dat"},
      {"kind", "track"},
      {"cell_count", 3},
      {"cells",
       {{{"cell", 1},
         {"kind", 1},
         {"value1", 5},
         {"value2", 0},
         {"value3", 0},
         {"value4", 0},
         {"timer", 0},
         {"approach", 0}}}},
      {"runs",
       {{"gradient", {{{"from_cell", 0}, {"to_cell", 2}, {"value", 128}}}},
        {"speed_limit", json::array()},
        {"adhesion", json::array()},
        {"mountain", json::array()}}}};
  std::vector<std::uint8_t> bytes;
  std::string fault;
  ASSERT_TRUE(pack_object(track, bytes, fault)) << fault;
  track_grid grid;
  ASSERT_TRUE(decode_track(as_text(bytes), grid).ok());
  ASSERT_EQ(grid.cells.size(), 3u);
  EXPECT_EQ(grid.cells[1].value1, 5);
  EXPECT_EQ(grid.cells[2].gradient, 128);

  const json slot = {{"slot", 1},  {"kind", 1},  {"from_m", 0},  {"to_m", 0},
                     {"at_m", 0},  {"opt_a", 0}, {"label", "A"}, {"num_a", 0},
                     {"num_b", 0}, {"num_c", 0}, {"num_d", 0},   {"num_e", 0},
                     {"opt_b", 0}, {"opt_c", 0}, {"opt_d", 0},   {"opt_e", 0},
                     {"time_s", 0}};
  const json table = {{"kind", "table"}, {"slots", {slot}}};
  ASSERT_TRUE(pack_object(table, bytes, fault)) << fault;

  const struct {
    json object;
    const char* says;
  } cases[] = {
      {[&] {
         json j = track;
         j["cells"][0]["value1"] = 40000;
         return j;
       }(),
       "cells[0].value1: 40000 is outside -32768 to 32767"},
      {[&] {
         json j = track;
         j["cells"][0]["timer"] = 1.5;
         return j;
       }(),
       "cells[0].timer: 1.5 is not a whole number"},
      {[&] {
         json j = track;
         j["cells"][0]["cell"] = 3;
         return j;
       }(),
       "cells[0].cell: 3 is outside 0 to 2"},
      {[&] {
         json j = track;
         j["cells"].push_back(j["cells"][0]);
         return j;
       }(),
       "cells[1]: cell 1 is given twice"},
      {[&] {
         json j = track;
         j["cell_count"] = 1e12;
         return j;
       }(),
       "cell_count: 1000000000000.0 is not a whole number"},
      {[&] {
         json j = track;
         j["runs"]["gradient"][0]["to_cell"] = 7;
         return j;
       }(),
       "runs.gradient[0].to_cell: 7 is outside 0 to 2"},
      {[&] {
         json j = track;
         j["runs"].erase("mountain");
         return j;
       }(),
       "runs.mountain is missing"},
      {[&] {
         json j = table;
         j["slots"][0]["label"] = "\xE2\x82\xAC";
         return j;
       }(),
       "slots[0].label: character 0 is beyond U+00FF"},
      {[&] {
         json j = table;
         j["slots"][0]["slot"] = 87;
         return j;
       }(),
       "slots[0].slot: 87 is outside 0 to 86"},
      {[&] {
         json j = table;
         j["slots"][0].erase("time_s");
         return j;
       }(),
       "slots[0].time_s is missing"},
      {{{"kind", "profile"}, {"last_metre", 2}, {"points", json::array()}},
       "points holds 0 points for metres 0 to 2: dump the profile with "
       "--every 1"},
      {{{"kind", "profile"},
        {"last_metre", 0},
        {"points", {{{"m", 0}, {"x", 40000}, {"y", nullptr}}}}},
       "points[0].x: 40000 is outside -32768 to 32767"},
      {{{"kind", "profile"},
        {"last_metre", 0},
        {"points", {{{"m", 0}, {"x", "many"}, {"y", nullptr}}}}},
       "points[0].x: \"many\" is not null, a number"},
      {{{"kind", "picture"}},
       "kind is not \"profile\", \"table\" or \"track\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    fault.clear();
    EXPECT_FALSE(pack_object(c.object, bytes, fault));
    EXPECT_TRUE(has(fault, c.says)) << fault;
  }

  // One bad object of two: the good one is not written either.
  temp_dir dir;
  json set = json::array({track, cases[0].object});
  set[1]["file"] = "u.dat";
  dir.write("set.json", set.dump());
  const tool_result r = run_scenario_tool(
      {"pack", "--dir", dir.file("out"), dir.file("set.json")});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(has(r.err, "[1] (u.dat): error: cells[0].value1")) << r.err;
  EXPECT_TRUE(has(r.err, "nothing written")) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("out/t.dat")));

  // A "file" that would leave the folder is taken by its base name only.
  set = json::array({track});
  set[0]["file"] = "../../elsewhere/t.dat";
  dir.write("set.json", set.dump());
  ASSERT_EQ(run_scenario_tool(
                {"pack", "--dir", dir.file("out"), dir.file("set.json")})
                .status,
            0);
  EXPECT_TRUE(std::filesystem::exists(dir.file("out/t.dat")));
  set[0]["file"] = "..";
  dir.write("set.json", set.dump());
  EXPECT_EQ(run_scenario_tool(
                {"pack", "--dir", dir.file("out"), dir.file("set.json")})
                .status,
            2);
}

// A track object of `count` cells and no cell of its own, with these
// gradient runs.
json track_with_gradient_runs(std::int64_t count, const json& runs) {
  return {{"kind", "track"},
          {"cell_count", count},
          {"cells", json::array()},
          {"runs",
           {{"gradient", runs},
            {"speed_limit", json::array()},
            {"adhesion", json::array()},
            {"mountain", json::array()}}}};
}

// Runs are laid in their order: where an edited list makes two overlap, the
// later one holds the cells they share, as if each were laid in turn.
TEST(pack, runs_are_laid_in_order_the_later_over_the_earlier) {
  const struct {
    std::vector<std::array<int, 3>> runs;  // from_cell, to_cell, value
    std::vector<int> gradients;            // of cells 0 to 5
    const char* note;
  } cases[] = {
      {{{0, 2, 1}, {3, 5, 2}}, {1, 1, 1, 2, 2, 2}, "side by side, as dumped"},
      {{{1, 1, 7}}, {0, 7, 0, 0, 0, 0}, "one cell, the others left at 0"},
      {{{0, 5, 1}, {2, 3, 2}}, {1, 1, 2, 2, 1, 1}, "a later run inside"},
      {{{2, 3, 2}, {0, 5, 1}}, {1, 1, 1, 1, 1, 1}, "a later run over all"},
      {{{0, 4, 1}, {2, 5, 2}, {3, 3, 3}}, {1, 1, 2, 3, 2, 2}, "three deep"},
      {{{4, 5, 4}, {0, 1, 5}, {4, 4, 6}}, {5, 5, 0, 0, 6, 4}, "out of order"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    json runs = json::array();
    for (const auto& r : c.runs)
      runs.push_back({{"from_cell", r[0]}, {"to_cell", r[1]}, {"value", r[2]}});
    std::vector<std::uint8_t> bytes;
    std::string fault;
    ASSERT_TRUE(pack_object(track_with_gradient_runs(6, runs), bytes, fault))
        << fault;
    track_grid grid;
    ASSERT_TRUE(decode_track(as_text(bytes), grid).ok());
    std::vector<int> gradients;
    for (const track_cell& cell : grid.cells)
      gradients.push_back(cell.gradient);
    EXPECT_EQ(gradients, c.gradients);
  }
}

// 10,000 runs, each over all of a grid of 1,000,000 cells: laid one after
// the other, cell by cell, they took over a minute; laid in stretches, the
// work follows the cells and the runs.
TEST(pack, ten_thousand_runs_over_a_long_grid_pack_in_bounded_time) {
  constexpr std::int64_t cells = 1000000;
  constexpr int runs = 10000;
  json list = json::array();
  for (int i = 0; i < runs; ++i)
    list.push_back(
        {{"from_cell", 0}, {"to_cell", cells - 1}, {"value", i % 200}});
  const json track = track_with_gradient_runs(cells, list);
  std::vector<std::uint8_t> bytes;
  std::string fault;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(pack_object(track, bytes, fault)) << fault;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  std::printf("%d runs over %lld cells packed in %.3f s\n", runs,
              static_cast<long long>(cells), seconds);
  track_grid grid;
  ASSERT_TRUE(decode_track(as_text(bytes), grid).ok());
  ASSERT_EQ(grid.cells.size(), static_cast<std::size_t>(cells));
  EXPECT_EQ(grid.cells.front().gradient, (runs - 1) % 200);
  EXPECT_EQ(grid.cells.back().gradient, (runs - 1) % 200);
  EXPECT_LT(seconds, 5.0);
}

// A field whose value nests 200,000 deep (400 KB) overflowed pack's stack
// (SIGSEGV) when the tree was walked; JSON nested deeper than the bound is
// refused before it is parsed, and nothing is written.
TEST(pack, json_nested_deeper_than_the_bound_is_refused) {
  temp_dir dir;
  dir.write("deep.json",
            R"({"file": "t.dat", "kind": "track", "cell_count": )" +
                std::string(200000, '[') + std::string(200000, ']') + "}");
  const tool_result r = run_scenario_tool(
      {"pack", "--dir", dir.file("out"), dir.file("deep.json")});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(has(r.err, "nests arrays and objects deeper than 64 levels"))
      << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("out")));
}

}  // namespace
