#include "output/race_codes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

compile_context with_labels(const std::string& train,
                            const std::string& scenario) {
  compile_context ctx;
  ctx.table.slots[slot_train_header].label = train;
  ctx.table.slots[slot_scenario_header].label = scenario;
  return ctx;
}

TEST(race_codes, sums_over_the_first_25_characters) {
  struct {
    std::string train;
    std::string scenario;
    std::int16_t og;
    std::int32_t st;
    const char* note;
  } cases[] = {
      {"AB", "c", 2546, 33756,
       "worked value: a, b, c and 22 filler characters"},
      {"c", "AB", 2546, 33753, "names swapped: only the weighted sum changes"},
      {"", "", 2583, 34355, "both empty: the first 25 filler characters"},
      {"EC 482", "Cendra_Gelsio2", 2288, 31218, "the embedded names"},
      {"ec 482", "cendra_gelsio2", 2288, 31218, "lowercase names, same codes"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "c", 2725, 36725,
       "26th character and the scenario name lie beyond the 25"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXY", "", 2725, 36725,
       "exactly 25 characters, no filler"},
      {" ", "", 2504, 34084, "a blank counts 32"},
      {"[", "", 2563, 34143, "only A to Z are lowered: [ stays 91"},
      {"\xE9", "", 2705, 34285, "a byte above 127 counts unsigned (233)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    compile_context ctx = with_labels(c.train, c.scenario);
    EXPECT_EQ(codice_gara_og(ctx), c.og);
    EXPECT_EQ(codice_gara_st(ctx), c.st);
  }
}

TEST(race_codes, read_the_slot_labels_not_the_run_names) {
  compile_context ctx = with_labels("AB", "c");
  ctx.train_name = "EC 482";
  ctx.scenario_name = "Cendra_Gelsio2";
  EXPECT_EQ(codice_gara_og(ctx), 2546);
  EXPECT_EQ(codice_gara_st(ctx), 33756);
}

}  // namespace
