#include "platform/platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test/temp_dir.h"

namespace {

std::vector<std::uint8_t> bytes_of(const std::string& s) {
  return std::vector<std::uint8_t>(s.begin(), s.end());
}

platform_files files_in(const temp_dir& dir) {
  platform_files files;
  files.directory = dir.path();
  files.headless = true;
  return files;
}

TEST(platform, executable_directory_is_where_the_test_binary_lives) {
  std::string dir = executable_directory();
  ASSERT_FALSE(dir.empty());
  std::error_code ec;
  EXPECT_TRUE(std::filesystem::is_directory(dir, ec));
  EXPECT_TRUE(std::filesystem::exists(join_path(dir, "scenario_tests"), ec));
}

TEST(platform, names_with_blanks_are_used_as_they_are) {
  temp_dir dir;
  platform_files files = files_in(dir);
  ASSERT_TRUE(
      replace_file(files, "Cendra_Gelsio2_EC 482.dat", bytes_of("ab")).ok());
  EXPECT_TRUE(file_exists(files, "Cendra_Gelsio2_EC 482.dat"));
  std::string text;
  ASSERT_TRUE(read_file(files, "Cendra_Gelsio2_EC 482.dat", text).ok());
  EXPECT_EQ(text, "ab");
}

TEST(platform, replace_writes_exactly_the_new_bytes) {
  temp_dir dir;
  platform_files files = files_in(dir);
  dir.write("f.txt", std::string(5000, 'x'));
  ASSERT_TRUE(replace_file(files, "f.txt", bytes_of("new")).ok());
  EXPECT_EQ(dir.read("f.txt"), "new");
  ASSERT_TRUE(replace_file(files, "f.txt", {}).ok());
  EXPECT_TRUE(dir.contains("f.txt"));
  EXPECT_EQ(dir.read("f.txt"), "");
}

TEST(platform, a_failed_replace_leaves_the_earlier_file) {
  temp_dir dir;
  platform_files files = files_in(dir);
  dir.write("f.txt", "earlier");
  files.fail_create = "f.txt";
  step_result r = replace_file(files, "f.txt", bytes_of("new content"));
  EXPECT_EQ(r.code, step_code::file_fault);
  EXPECT_NE(r.detail.find("f.txt"), std::string::npos);
  EXPECT_EQ(dir.read("f.txt"), "earlier");
  EXPECT_EQ(dir.names(), std::set<std::string>{"f.txt"});
}

// Each replace writes under a fresh name of its own: a file someone left at
// the name "f.txt.tmp" is neither written through nor removed.
TEST(platform, replace_leaves_a_file_at_a_guessable_temporary_name_alone) {
  temp_dir dir;
  platform_files files = files_in(dir);
  dir.write("f.txt.tmp", "someone else's");
  ASSERT_TRUE(replace_file(files, "f.txt", bytes_of("new")).ok());
  EXPECT_EQ(dir.read("f.txt"), "new");
  EXPECT_EQ(dir.read("f.txt.tmp"), "someone else's");
  EXPECT_EQ(dir.names(), (std::set<std::string>{"f.txt", "f.txt.tmp"}));
}

TEST(platform, replace_in_a_missing_directory_is_a_file_fault) {
  platform_files files;
  files.directory = "/nonexistent/directory/for/this/test";
  step_result r = replace_file(files, "f.txt", bytes_of("x"));
  EXPECT_EQ(r.code, step_code::file_fault);
  EXPECT_NE(r.detail.find("f.txt"), std::string::npos);
}

TEST(platform, read_and_remove_faults) {
  temp_dir dir;
  platform_files files = files_in(dir);
  std::string text;
  EXPECT_EQ(read_file(files, "missing.txt", text).code, step_code::file_fault);
  EXPECT_TRUE(remove_file(files, "missing.txt").ok());

  dir.write("f.txt", "content");
  files.fail_read = "f.txt";
  EXPECT_EQ(read_file(files, "f.txt", text).code, step_code::file_fault);
  files.fail_remove = "f.txt";
  EXPECT_EQ(remove_file(files, "f.txt").code, step_code::file_fault);
  EXPECT_TRUE(dir.contains("f.txt"));
  files.fail_remove.clear();
  EXPECT_TRUE(remove_file(files, "f.txt").ok());
  EXPECT_FALSE(file_exists(files, "f.txt"));
}

TEST(platform, memory_disk_keeps_files_off_the_disk) {
  temp_dir dir;
  memory_disk disk;
  platform_files files = files_in(dir);
  files.memory = &disk;
  ASSERT_TRUE(replace_file(files, "a.txt", bytes_of("one")).ok());
  EXPECT_TRUE(file_exists(files, "a.txt"));
  EXPECT_TRUE(dir.names().empty());
  std::string text;
  ASSERT_TRUE(read_file(files, "a.txt", text).ok());
  EXPECT_EQ(text, "one");

  files.fail_create = "a.txt";
  EXPECT_EQ(replace_file(files, "a.txt", bytes_of("two")).code,
            step_code::file_fault);
  ASSERT_TRUE(read_file(files, "a.txt", text).ok());
  EXPECT_EQ(text, "one");
  files.fail_remove = "a.txt";
  EXPECT_EQ(remove_file(files, "a.txt").code, step_code::file_fault);
  files.fail_remove.clear();
  EXPECT_TRUE(remove_file(files, "a.txt").ok());
  EXPECT_FALSE(file_exists(files, "a.txt"));
  EXPECT_EQ(read_file(files, "a.txt", text).code, step_code::file_fault);
}

TEST(platform, headless_messages_are_collected) {
  platform_files files;
  files.headless = true;
  show_wait_window(files);
  show_message(files, " Errore n. 1250");
  close_wait_window(files);
  EXPECT_EQ(files.messages, std::vector<std::string>{" Errore n. 1250"});
}

}  // namespace
