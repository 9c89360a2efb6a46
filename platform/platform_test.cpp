#include "platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "test/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

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

// Piecewise content cut from a text: pieces of `piece_bytes` (the last one
// shorter), then the end.
struct text_pieces {
  std::string text;
  std::size_t piece_bytes;
  std::size_t at = 0;
  int pieces_given = 0;
};

void next_text_piece(void* state, std::vector<std::uint8_t>& piece) {
  text_pieces& t = *static_cast<text_pieces*>(state);
  const std::size_t n = std::min(t.piece_bytes, t.text.size() - t.at);
  piece.assign(t.text.begin() + static_cast<std::ptrdiff_t>(t.at),
               t.text.begin() + static_cast<std::ptrdiff_t>(t.at + n));
  t.at += n;
  if (n > 0) ++t.pieces_given;
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

// Content given a piece at a time ends up whole and in order, on disk and in
// memory, whatever the pieces; no piece at all gives an empty file.
TEST(platform, piecewise_replace_writes_the_pieces_in_order) {
  struct piece_case {
    std::string text;
    std::size_t piece_bytes;
    int pieces;
    const char* note;
  };
  std::string long_text;
  for (int i = 0; i < 70000; ++i) long_text += static_cast<char>('a' + i % 26);
  const piece_case cases[] = {
      {"", 4, 0, "no piece: an empty file"},
      {"abc", 100, 1, "one short piece"},
      {"abcdefghij", 3, 4, "a short last piece"},
      {long_text, 4096, 18, "many pieces"},
  };
  for (const piece_case& c : cases) {
    for (bool in_memory : {false, true}) {
      SCOPED_TRACE(std::string(c.note) + (in_memory ? ", in memory" : ""));
      temp_dir dir;
      memory_disk disk;
      platform_files files = files_in(dir);
      if (in_memory) files.memory = &disk;
      ASSERT_TRUE(replace_file(files, "f.dat", bytes_of("earlier")).ok());
      text_pieces state{c.text, c.piece_bytes};
      ASSERT_TRUE(
          replace_file_piecewise(files, "f.dat", {next_text_piece, &state})
              .ok());
      EXPECT_EQ(state.pieces_given, c.pieces);
      std::string text;
      ASSERT_TRUE(read_file(files, "f.dat", text).ok());
      EXPECT_TRUE(text == c.text) << text.size() << " bytes";
      EXPECT_EQ(dir.names(), in_memory ? std::set<std::string>{}
                                       : std::set<std::string>{"f.dat"});
    }
  }
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

TEST(platform, a_missing_file_cannot_be_read_but_removes_cleanly) {
  temp_dir dir;
  platform_files files = files_in(dir);
  std::string text;
  EXPECT_EQ(read_file(files, "missing.txt", text).code, step_code::file_fault);
  EXPECT_TRUE(remove_file(files, "missing.txt").ok());

  dir.write("f.txt", "content");
  EXPECT_TRUE(remove_file(files, "f.txt").ok());
  EXPECT_FALSE(file_exists(files, "f.txt"));
  EXPECT_TRUE(dir.names().empty());
}

// Only a regular file within the bound is read: a larger one, a folder and
// (where the OS has them) a FIFO are refused at once, naming the file, and
// a FIFO with no writer never makes the read wait.
TEST(platform, a_read_takes_only_a_regular_file_within_its_bound) {
  temp_dir dir;
  platform_files files = files_in(dir);
  dir.write("ten.txt", "0123456789");
  std::filesystem::create_directory(std::filesystem::path(dir.path()) / "sub");
  std::string text = "earlier";
  EXPECT_TRUE(read_file(files, "ten.txt", text, 10).ok());
  EXPECT_EQ(text, "0123456789");
  struct refused {
    const char* name;
    std::uint64_t bound;
    const char* why;
  };
  std::vector<refused> cases = {
      {"ten.txt", 9, "larger than 9 bytes"},
      {"sub", 100, "not a regular file"},
  };
#ifndef _WIN32
  ASSERT_EQ(::mkfifo((dir.path() + "/pipe").c_str(), 0600), 0);
  cases.push_back({"pipe", 100, "not a regular file"});
#endif
  for (const refused& c : cases) {
    SCOPED_TRACE(c.name);
    const step_result r = read_file(files, c.name, text, c.bound);
    EXPECT_EQ(r.code, step_code::file_fault);
    EXPECT_NE(r.detail.find(join_path(dir.path(), c.name)), std::string::npos)
        << r.detail;
    EXPECT_NE(r.detail.find(c.why), std::string::npos) << r.detail;
  }
  memory_disk disk;
  files.memory = &disk;
  ASSERT_TRUE(replace_file(files, "ten.txt", bytes_of("0123456789")).ok());
  EXPECT_EQ(read_file(files, "ten.txt", text, 9).code, step_code::file_fault);
}

// A name is taken by anything at it, a link that leads nowhere included,
// while only a regular file exists to be read.
TEST(platform, a_dangling_link_takes_its_name) {
#ifdef _WIN32
  GTEST_SKIP() << "links need rights a test does not have on Windows";
#else
  temp_dir dir;
  platform_files files = files_in(dir);
  std::filesystem::create_symlink(
      std::filesystem::path(dir.path()) / "nowhere",
      std::filesystem::path(dir.path()) / "link.dat");
  EXPECT_FALSE(file_exists(files, "link.dat"));
  EXPECT_TRUE(name_taken(files, "link.dat"));
  EXPECT_FALSE(name_taken(files, "free.dat"));
#endif
}

// One run at a time holds a folder's lock: a second waits for it and gives
// up, naming the folder, when its wait ends first; the lock is free again
// once its holder lets go, and no file is ever left behind.
TEST(platform, a_folder_lock_is_held_by_one_run_at_a_time) {
  temp_dir dir;
  platform_files files = files_in(dir);
  {
    folder_lock first;
    ASSERT_TRUE(lock_folder(files, 0, first).ok());
    // From another thread: a Windows mutex lets its own thread in again.
    step_result r;
    std::thread([&] {
      folder_lock second;
      r = lock_folder(files, 50, second);
    }).join();
    EXPECT_EQ(r.code, step_code::file_fault);
    EXPECT_NE(r.detail.find(dir.path()), std::string::npos) << r.detail;
    EXPECT_NE(r.detail.find("nothing was written"), std::string::npos);
  }
  std::thread([&] {
    folder_lock again;
    EXPECT_TRUE(lock_folder(files, 0, again).ok());
  }).join();
  EXPECT_TRUE(dir.names().empty());
  platform_files missing;
  missing.directory = dir.path() + "/no such folder";
  folder_lock none;
  EXPECT_EQ(lock_folder(missing, 0, none).code, step_code::file_fault);
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
  ASSERT_TRUE(replace_file(files, "a.txt", bytes_of("two")).ok());
  ASSERT_TRUE(read_file(files, "a.txt", text).ok());
  EXPECT_EQ(text, "two");

  EXPECT_TRUE(remove_file(files, "a.txt").ok());
  EXPECT_FALSE(file_exists(files, "a.txt"));
  step_result r = read_file(files, "a.txt", text);
  EXPECT_EQ(r.code, step_code::file_fault);
  EXPECT_EQ(r.detail, "cannot open a.txt (in memory): no such file");
  EXPECT_TRUE(remove_file(files, "a.txt").ok());
}

// A file can be there and still not readable, with a reason of its own, on
// a memory disk as on disk; writing it anew ends that.
TEST(platform, memory_disk_holds_files_that_cannot_be_read) {
  memory_disk disk;
  disk.unreadable["a.txt"] = "cannot read /d/a.txt: Input/output error";
  disk.unreadable["b.txt"] = "cannot read /d/b.txt: Is a directory";
  platform_files files;
  files.memory = &disk;
  EXPECT_TRUE(file_exists(files, "a.txt"));
  std::string text = "untouched";
  step_result r = read_file(files, "a.txt", text);
  EXPECT_EQ(r.code, step_code::file_fault);
  EXPECT_EQ(r.detail, "cannot read /d/a.txt: Input/output error");
  EXPECT_EQ(text, "untouched");

  ASSERT_TRUE(replace_file(files, "a.txt", bytes_of("new")).ok());
  ASSERT_TRUE(read_file(files, "a.txt", text).ok());
  EXPECT_EQ(text, "new");
  ASSERT_TRUE(remove_file(files, "b.txt").ok());
  EXPECT_FALSE(file_exists(files, "b.txt"));
  EXPECT_EQ(read_file(files, "b.txt", text).detail,
            "cannot open b.txt (in memory): no such file");
}

// A staged set is replaced whole or not at all, on disk and in memory: until
// the commit the old files stand, a discard leaves them as they were, a
// write torn in the middle of the set lets the caller discard what was
// staged before it, and the same name staged twice keeps the later content.
TEST(platform, a_staged_set_replaces_all_its_files_or_none) {
  const std::vector<std::string> set = {"a.dat", "b.sim", "c.dat"};
  for (const bool in_memory : {false, true}) {
    SCOPED_TRACE(in_memory ? "memory disk" : "disk");
    temp_dir dir;
    memory_disk disk;
    platform_files files = files_in(dir);
    if (in_memory) files.memory = &disk;
    std::string text;
    const auto content = [&](const std::string& name) {
      text.clear();
      return read_file(files, name, text).ok() ? text : "(missing)";
    };
    for (const std::string& name : set)
      ASSERT_TRUE(replace_file(files, name, bytes_of("old " + name)).ok());
    // On disk, only the three files: no temporary file is ever left.
    const std::set<std::string> old_names = dir.names();

    std::vector<staged_file> staged;
    files.staged = &staged;
    const auto stage_all = [&](const std::string& torn) {
      files.fail_create = torn;
      for (const std::string& name : set) {
        if (!replace_file(files, name, bytes_of("new " + name)).ok())
          return false;
      }
      return true;
    };

    ASSERT_TRUE(stage_all(""));
    for (const std::string& name : set) EXPECT_EQ(content(name), "old " + name);
    discard_staged(files);
    EXPECT_TRUE(staged.empty());
    for (const std::string& name : set) EXPECT_EQ(content(name), "old " + name);
    EXPECT_EQ(dir.names(), old_names);

    EXPECT_FALSE(stage_all("b.sim"));
    discard_staged(files);
    for (const std::string& name : set) EXPECT_EQ(content(name), "old " + name);
    EXPECT_EQ(dir.names(), old_names);

    ASSERT_TRUE(stage_all(""));
    ASSERT_TRUE(replace_file(files, "a.dat", bytes_of("newer")).ok());
    ASSERT_TRUE(commit_staged(files).ok());
    EXPECT_TRUE(staged.empty());
    EXPECT_EQ(content("a.dat"), "newer");
    EXPECT_EQ(content("b.sim"), "new b.sim");
    EXPECT_EQ(content("c.dat"), "new c.dat");
    EXPECT_EQ(dir.names(), old_names);
  }
}

// A set is replaced whole or not at all. A rename the OS refuses (a folder
// stands at the final name) or the hook refuses is a file fault that names
// the file; the files renamed before it are put back (a name that held no
// file is emptied again), and no temporary file is left.
TEST(platform, a_refused_rename_puts_back_what_the_commit_had_renamed) {
  temp_dir dir;
  platform_files files = files_in(dir);
  std::filesystem::create_directory(std::filesystem::path(dir.path()) / "b");
  std::vector<staged_file> staged;
  files.staged = &staged;
  for (const char* name : {"a", "b", "c"})
    ASSERT_TRUE(replace_file(files, name, bytes_of(name)).ok());
  const step_result r = commit_staged(files);
  EXPECT_EQ(r.code, step_code::file_fault);
  EXPECT_NE(r.detail.find(join_path(dir.path(), "b")), std::string::npos)
      << r.detail;
  EXPECT_NE(r.detail.find("a was removed again"), std::string::npos)
      << r.detail;
  EXPECT_TRUE(staged.empty());
  EXPECT_EQ(dir.names(), (std::set<std::string>{"b"}));
}

TEST(platform, a_refused_last_rename_leaves_the_earlier_set_whole) {
  for (const bool in_memory : {false, true}) {
    SCOPED_TRACE(in_memory ? "memory disk" : "disk");
    temp_dir dir;
    memory_disk disk;
    platform_files files = files_in(dir);
    if (in_memory) files.memory = &disk;
    const std::vector<std::string> set = {"x_linea.dat", "x_t.sim", "x_t.dat"};
    for (const std::string& name : set)
      ASSERT_TRUE(replace_file(files, name, bytes_of("old " + name)).ok());
    const std::set<std::string> old_names = dir.names();
    std::vector<staged_file> staged;
    files.staged = &staged;
    for (const std::string& name : set)
      ASSERT_TRUE(replace_file(files, name, bytes_of("new " + name)).ok());
    files.fail_rename = "x_t.dat";
    const step_result r = commit_staged(files);
    EXPECT_EQ(r.code, step_code::file_fault);
    EXPECT_NE(r.detail.find("x_t.dat"), std::string::npos) << r.detail;
    if (!in_memory) {
      EXPECT_NE(r.detail.find("the earlier x_linea.dat and x_t.sim were put "
                              "back"),
                std::string::npos)
          << r.detail;
    }
    EXPECT_TRUE(staged.empty());
    std::string text;
    for (const std::string& name : set) {
      ASSERT_TRUE(read_file(files, name, text).ok());
      EXPECT_EQ(text, "old " + name);
    }
    EXPECT_EQ(dir.names(), old_names);

    // With nothing refused, the same set goes through, and the earlier
    // files kept meanwhile are gone.
    files.fail_rename.clear();
    for (const std::string& name : set)
      ASSERT_TRUE(replace_file(files, name, bytes_of("new " + name)).ok());
    ASSERT_TRUE(commit_staged(files).ok());
    for (const std::string& name : set) {
      ASSERT_TRUE(read_file(files, name, text).ok());
      EXPECT_EQ(text, "new " + name);
    }
    EXPECT_EQ(dir.names(), old_names);
  }
}

// The OS's own words for the errors the hooks stand in for. Windows words
// them in the user's language; the error number ends the text.
#ifdef _WIN32
constexpr const char* os_input_output = "(error 30)";
constexpr const char* os_access_denied = "(error 5)";
constexpr const char* os_disk_full = "(error 112)";
#else
constexpr const char* os_input_output = "Input/output error";
constexpr const char* os_access_denied = "Permission denied";
constexpr const char* os_disk_full = "No space left on device";
#endif

enum class file_operation {
  replace,
  replace_piecewise,
  replace_scratch,
  read,
  remove
};

step_result apply(file_operation operation, const platform_files& files,
                  const std::string& name, std::string& text) {
  // Three pieces, so that a torn write has more to come after its fault.
  text_pieces pieces{"new content", 4};
  switch (operation) {
    case file_operation::replace:
      return replace_file(files, name, bytes_of("new content"));
    case file_operation::replace_piecewise:
      return replace_file_piecewise(files, name, {next_text_piece, &pieces});
    case file_operation::replace_scratch:
      return replace_scratch_file(files, name, bytes_of("new content"));
    case file_operation::read:
      return read_file(files, name, text);
    case file_operation::remove:
      return remove_file(files, name);
  }
  return step_ok();
}

bool ends_with(const std::string& text, const std::string& end) {
  return text.size() >= end.size() &&
         text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Each fault hook, on disk and on a memory disk: the operation on the file it
// names fails as the store words its own faults and leaves the file as it
// was (a torn write leaves no temporary file either); the same operation on
// any other file goes through.
TEST(platform, each_hook_fails_only_its_file_on_disk_and_in_memory) {
  struct hook_case {
    file_operation operation;
    std::string platform_files::*hook;
    const char* verb;           // of the message: "cannot VERB ..."
    const char* memory_reason;  // the memory disk's words
    const char* os_reason;      // the OS's words
    const char* note;
  };
  const hook_case cases[] = {
      {file_operation::replace, &platform_files::fail_create, "write",
       "no space left", os_disk_full, "fail_create: a write torn halfway"},
      {file_operation::replace_piecewise, &platform_files::fail_create, "write",
       "no space left", os_disk_full,
       "fail_create: a piecewise write torn in its first piece"},
      {file_operation::replace_scratch, &platform_files::fail_create, "write",
       "no space left", os_disk_full, "fail_create: a scratch write torn"},
      {file_operation::read, &platform_files::fail_read, "read",
       "input/output error", os_input_output, "fail_read"},
      {file_operation::remove, &platform_files::fail_remove, "remove",
       "permission denied", os_access_denied, "fail_remove"},
  };
  for (const hook_case& c : cases) {
    for (bool in_memory : {false, true}) {
      SCOPED_TRACE(std::string(c.note) + (in_memory ? ", in memory" : ""));
      temp_dir dir;
      memory_disk disk;
      platform_files files = files_in(dir);
      if (in_memory) files.memory = &disk;
      ASSERT_TRUE(replace_file(files, "f.txt", bytes_of("earlier")).ok());
      ASSERT_TRUE(replace_file(files, "g.txt", bytes_of("other")).ok());
      files.*c.hook = "f.txt";

      std::string text;
      step_result r = apply(c.operation, files, "f.txt", text);
      EXPECT_EQ(r.code, step_code::file_fault);
      if (in_memory) {
        EXPECT_EQ(r.detail, std::string("cannot ") + c.verb +
                                " f.txt (in memory): " + c.memory_reason);
      } else {
        const std::string start = std::string("cannot ") + c.verb + " " +
                                  join_path(dir.path(), "f.txt") + ": ";
        EXPECT_EQ(r.detail.rfind(start, 0), 0u) << r.detail;
        EXPECT_TRUE(ends_with(r.detail, c.os_reason)) << r.detail;
      }

      // Any other file: the operation goes through.
      text.clear();
      ASSERT_TRUE(apply(c.operation, files, "g.txt", text).ok());
      std::set<std::string> left = {"f.txt", "g.txt"};
      switch (c.operation) {
        case file_operation::replace:
        case file_operation::replace_piecewise:
        case file_operation::replace_scratch:
          ASSERT_TRUE(read_file(files, "g.txt", text).ok());
          EXPECT_EQ(text, "new content");
          break;
        case file_operation::read:
          EXPECT_EQ(text, "other");
          break;
        case file_operation::remove:
          EXPECT_FALSE(file_exists(files, "g.txt"));
          left.erase("g.txt");
          break;
      }

      files.*c.hook = "";
      ASSERT_TRUE(read_file(files, "f.txt", text).ok());
      EXPECT_EQ(text, "earlier");
      EXPECT_EQ(dir.names(), in_memory ? std::set<std::string>{} : left);
    }
  }
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
