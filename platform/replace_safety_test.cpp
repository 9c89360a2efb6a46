// Replacing a file must never write anywhere but the folder's own new file:
// not through a link planted at a temporary name or at the final name, and
// with the mode a plain create would give. These cases need symbolic links
// and a umask, so they run on POSIX only.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "run/run_sequence.h"
#include "test/planted_links.h"
#include "test/run_fixture.h"
#include "test/temp_dir.h"

namespace {

const std::vector<std::string> output_files = {
    "Cendra_Gelsio2_EC 482_note.txt",
    "Cendra_Gelsio2_EC 482_rallentamenti.txt",
    "Cendra_Gelsio2_EC 482_scheda_treno.txt",
    "Cendra_Gelsio2_linea.dat",
    "Cendra_Gelsio2_EC 482.sim",
    "Cendra_Gelsio2_EC 482.dat",
};
const std::vector<std::string> source_files = {
    "Cendra_Gelsio2_linea.txt",
    "Cendra_Gelsio2_EC 482-.txt",
};

TEST(replace_safety, links_never_redirect_the_program_s_writes) {
  temp_dir clean, dir, victims;
  compile_context reference = make_test_context(clean.path());
  ASSERT_TRUE(run_program(reference).ok());

  std::vector<std::string> names = output_files;
  names.insert(names.end(), source_files.begin(), source_files.end());
  planted_links links(dir, victims, names);

  compile_context ctx = make_test_context(dir.path());
  step_result r = run_program(ctx);
  ASSERT_TRUE(r.ok()) << r.detail;
  EXPECT_EQ(ctx.error_code, 0);
  links.expect_untouched(dir, victims);
  for (const std::string& name : output_files) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(is_regular_file(dir, name));
    EXPECT_TRUE(dir.read(name) == clean.read(name));
  }
  EXPECT_EQ(
      unexpected_names(
          dir, std::set<std::string>(output_files.begin(), output_files.end()),
          links),
      std::set<std::string>{});
}

// The umask of the process decides the mode, as for a plain create.
TEST(replace_safety, the_mode_follows_the_umask) {
  struct case_row {
    mode_t umask_bits;
    mode_t expected_mode;
    const char* note;
  };
  const case_row cases[] = {
      {077, 0600, "private: only the owner reads and writes"},
      {022, 0644, "the usual umask"},
      {002, 0664, "a group that shares the folder"},
  };
  for (const case_row& c : cases) {
    SCOPED_TRACE(c.note);
    temp_dir dir;
    platform_files files;
    files.directory = dir.path();
    mode_t earlier = ::umask(c.umask_bits);
    step_result r = replace_file(files, "f.dat", {1, 2, 3});
    ::umask(earlier);
    ASSERT_TRUE(r.ok()) << r.detail;
    struct stat st;
    ASSERT_EQ(::stat(dir.file("f.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, c.expected_mode);
  }
}

// Each replace takes a temporary name of its own: many replaces of one file
// never meet at one name, and none leaves its temporary file behind.
TEST(replace_safety, temporary_names_are_unique_and_never_left) {
  temp_dir dir;
  platform_files files;
  files.directory = dir.path();
  for (int i = 0; i < 50; ++i) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(i), 'x');
    ASSERT_TRUE(replace_file(files, "f.dat", bytes).ok());
    ASSERT_EQ(dir.read("f.dat").size(), static_cast<std::size_t>(i));
  }
  files.fail_create = "f.dat";
  EXPECT_FALSE(replace_file(files, "f.dat", {1, 2, 3}).ok());
  EXPECT_EQ(dir.names(), std::set<std::string>{"f.dat"});
}

}  // namespace
