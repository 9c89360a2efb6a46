#include "tool/cli/command_files.h"

#include <filesystem>
#include <system_error>

#include "base/terminal_text.h"
#include "model/compile_context.h"
#include "model/file_names.h"

bool may_write_files(const platform_files& files, const std::string& shown_dir,
                     const std::vector<std::string>& names, bool force,
                     std::ostream& err) {
  if (force) return true;
  bool found = false;
  for (const std::string& name : names) {
    // A link at the name counts, even one that leads nowhere: the write
    // would replace it.
    if (!name_taken(files, name)) continue;
    err << "scenario_tool: error: "
        << terminal_safe(shown_dir.empty() ? name : join_path(shown_dir, name))
        << " already exists\n";
    found = true;
  }
  if (found)
    err << "scenario_tool: nothing written; use --force to replace these "
           "files\n";
  return !found;
}

file_place place_of(const std::string& path) {
  const std::filesystem::path p(path);
  file_place place;
  place.files.directory = p.has_parent_path() ? p.parent_path().string() : ".";
  place.name = p.filename().string();
  return place;
}

bool make_directory(const std::string& dir, std::ostream& err) {
  if (dir.empty()) return true;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!ec && std::filesystem::is_directory(dir, ec)) return true;
  err << "scenario_tool: error: cannot make the directory " << dir << ": "
      << (ec ? ec.message() : std::string("a file of that name is there"))
      << '\n';
  return false;
}
