#include "tool/cli/pack_command.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <set>
#include <utility>
#include <vector>

#include "base/terminal_text.h"
#include "model/file_names.h"
#include "platform/platform.h"
#include "tool/cli/command_files.h"
#include "tool/inspect/dump_schema.h"
#include "tool/inspect/pack.h"
#include "tool/json/json_input.h"

namespace {

using json = nlohmann::ordered_json;

constexpr int status_stopped = 2;

// The last part of a path written with either separator.
std::string base_name(const std::string& path) {
  const std::size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

CLI::App* add_pack_command(CLI::App& app, pack_options& o) {
  CLI::App* command = app.add_subcommand(
      "pack",
      "write the binary files again from what dump --json wrote (a profile "
      "dumped with --every 1), byte for byte");
  command->add_option("DUMP", o.json_file, "the JSON that dump --json wrote")
      ->required();
  command->add_option("--dir", o.dir,
                      "where the files go, by the base names of their "
                      "\"file\" (default: the current directory)");
  command->add_flag("--force", o.force, "replace files of the same names");
  return command;
}

namespace {

using packed_files =
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>>;

// The dump's array of files, read from o.json_file; false (reported) when
// it cannot be read or is not what dump --json writes.
bool read_dump(const pack_options& o, json& dump, std::ostream& err) {
  const file_place place = place_of(o.json_file);
  std::string text;
  const step_result read = read_file(place.files, place.name, text);
  if (!read.ok()) {
    err << "scenario_tool: error: " << terminal_safe(read.detail) << '\n';
    return false;
  }
  switch (parse_json_input(text, dump)) {
    case json_input::ok:
      break;
    case json_input::not_json:
      err << "scenario_tool: error: " << o.json_file
          << " is not JSON; give what dump --json wrote\n";
      return false;
    case json_input::too_deep:
      err << "scenario_tool: error: " << o.json_file
          << " nests arrays and objects deeper than " << max_json_depth
          << " levels; dump --json writes five\n";
      return false;
  }
  if (dump.is_object()) dump = json::array({dump});
  if (!dump.is_array() || dump.empty()) {
    err << "scenario_tool: error: " << o.json_file
        << " holds no file; give what dump --json wrote\n";
    return false;
  }
  return true;
}

// The name and bytes of object `i` of the dump; false (reported) when its
// name will not do, is given twice, or the object does not pack.
bool pack_one(const pack_options& o, const json& object, std::size_t i,
              std::set<std::string>& names, packed_files& files,
              std::ostream& err) {
  const auto file =
      object.is_object() ? object.find(dump_key::file) : object.end();
  const std::string name = file != object.end() && file->is_string()
                               ? base_name(file->get_ref<const std::string&>())
                               : std::string();
  const std::string shown = "[" + std::to_string(i) + "]";
  const std::string bad_name = name == "." || name == ".."
                                   ? "a file name cannot be " + name
                                   : name_fault(name);
  if (!bad_name.empty()) {
    err << o.json_file << ": " << shown << ".file: error: " << bad_name << '\n';
    return false;
  }
  if (!names.insert(name).second) {
    err << o.json_file << ": " << shown << ": error: " << name
        << " is given twice\n";
    return false;
  }
  std::vector<std::uint8_t> bytes;
  std::string fault;
  if (!pack_object(object, bytes, fault)) {
    err << o.json_file << ": " << shown << " (" << name << "): error: " << fault
        << '\n';
    return false;
  }
  files.emplace_back(name, std::move(bytes));
  return true;
}

// Writes the files into o.dir as one set; false (reported) when one exists
// without --force or a write fails, and then none is written.
bool write_packed(const pack_options& o, const packed_files& files,
                  std::ostream& err) {
  if (!make_directory(o.dir, err)) return false;
  std::vector<staged_file> staged;
  platform_files disk;
  disk.directory = o.dir.empty() ? "." : o.dir;
  disk.headless = true;
  disk.staged = &staged;
  std::vector<std::string> names_written;
  for (const auto& f : files) names_written.push_back(f.first);
  if (!may_write_files(disk, o.dir, names_written, o.force, err)) return false;
  for (const auto& f : files) {
    const step_result r = replace_file(disk, f.first, f.second);
    if (!r.ok()) {
      discard_staged(disk);
      err << "scenario_tool: error: " << terminal_safe(r.detail)
          << "; nothing written\n";
      return false;
    }
  }
  const step_result r = commit_staged(disk);
  if (!r.ok()) {
    err << "scenario_tool: error: " << terminal_safe(r.detail) << '\n';
    return false;
  }
  return true;
}

}  // namespace

int run_pack(const pack_options& o, std::ostream& out, std::ostream& err) {
  json dump;
  if (!read_dump(o, dump, err)) return status_stopped;
  // Every file is made before any is written, so a fault anywhere leaves the
  // folder as it was.
  packed_files files;
  std::set<std::string> names;
  bool refused = false;
  for (std::size_t i = 0; i < dump.size(); ++i)
    if (!pack_one(o, dump[i], i, names, files, err)) refused = true;
  if (refused) {
    err << "scenario_tool: nothing written\n";
    return status_stopped;
  }
  if (!write_packed(o, files, err)) return status_stopped;
  out << "wrote " << files.size() << (files.size() == 1 ? " file" : " files")
      << '\n';
  return 0;
}
