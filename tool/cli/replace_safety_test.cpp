// The authors' tool replaces files as the program does: no link planted in
// the folder redirects a write of export or compile.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "test/planted_links.h"
#include "test/temp_dir.h"
#include "test/tool_run.h"

namespace {

const std::vector<std::string> written_files = {
    "Cendra_Gelsio2_linea.txt",
    "Cendra_Gelsio2_EC 482-.txt",
    "Cendra_Gelsio2_EC 482_note.txt",
    "Cendra_Gelsio2_EC 482_rallentamenti.txt",
    "Cendra_Gelsio2_EC 482_scheda_treno.txt",
    "Cendra_Gelsio2_linea.dat",
    "Cendra_Gelsio2_EC 482.sim",
    "Cendra_Gelsio2_EC 482.dat",
};

TEST(replace_safety, links_never_redirect_the_tool_s_export_and_compile) {
  temp_dir clean, dir, victims;
  ASSERT_EQ(run_scenario_tool({"export", "--dir", clean.path()}).status, 0);
  ASSERT_EQ(run_scenario_tool({"compile", "--dir", clean.path()}).status, 0);

  planted_links links(dir, victims, written_files);

  tool_result exported =
      run_scenario_tool({"export", "--force", "--dir", dir.path()});
  EXPECT_EQ(exported.status, 0) << exported.err;
  tool_result compiled = run_scenario_tool({"compile", "--dir", dir.path()});
  EXPECT_EQ(compiled.status, 0) << compiled.err;

  links.expect_untouched(dir, victims);
  std::set<std::string> expected;
  for (const std::string& name : written_files) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(is_regular_file(dir, name));
    EXPECT_TRUE(dir.read(name) == clean.read(name));
    expected.insert(name);
  }
  EXPECT_EQ(unexpected_names(dir, expected, links), std::set<std::string>{});
}

}  // namespace
