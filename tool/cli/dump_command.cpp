#include "tool/cli/dump_command.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "base/terminal_text.h"
#include "model/file_names.h"
#include "output/file_format.h"
#include "platform/platform.h"
#include "tool/authoring/stale_build.h"
#include "tool/cli/command_files.h"
#include "tool/inspect/dump.h"
#include "tool/inspect/model_views.h"

namespace {

using json = nlohmann::ordered_json;

constexpr int status_refused = 2;

// No file of the kind is larger: a larger one is refused before it is read.
std::uint64_t largest_file_bytes(binary_kind kind) {
  switch (kind) {
    case binary_kind::profile:
      return largest_profile_file_bytes;
    case binary_kind::table:
      return largest_line_table_file_bytes;
    case binary_kind::track:
      break;
  }
  return largest_track_file_bytes;
}

bool dump_one(const dump_options& o, const std::string& path, json& all,
              std::ostream& out, std::ostream& err) {
  binary_kind kind = binary_kind::track;
  if (o.kind.empty()) {
    if (!kind_from_name(path, kind)) {
      err << "scenario_tool: error: " << printable(path)
          << ": cannot tell the kind of file from its name (*_linea.dat, "
             "*.sim or *.dat); give --kind profile, table or track\n";
      return false;
    }
  } else if (!kind_from_word(o.kind, kind)) {
    err << "scenario_tool: error: unknown kind " << printable(o.kind) << '\n';
    return false;
  }
  const file_place place = place_of(path);
  std::string bytes;
  step_result r =
      read_file(place.files, place.name, bytes, largest_file_bytes(kind));
  if (!r.ok()) {
    err << "scenario_tool: error: " << terminal_safe(r.detail) << '\n';
    return false;
  }

  const std::filesystem::path given(path);
  (void)warn_if_older_than_sources(
      place.files, given.has_parent_path() ? given.parent_path().string() : "",
      place.name,
      sources_of_binary_file(place.name, kind == binary_kind::profile), err);

  decode_fault fault;
  if (o.json) {
    json object;
    fault = dump_json(kind, path, bytes, o.every_m, object);
    if (fault.ok()) all.push_back(std::move(object));
  } else {
    fault = dump_text(kind, path, bytes, o.every_m, out);
  }
  if (!fault.ok()) {
    err << printable(path) << ": byte " << fault.offset
        << ": error: " << fault.what << "; not a " << kind_word(kind)
        << " file as the "
        << "compiler writes it\n";
    return false;
  }
  return true;
}

}  // namespace

CLI::App* add_dump_command(CLI::App& app, dump_options& o) {
  CLI::App* command = app.add_subcommand(
      "dump",
      "show the binary files as text: the track file's cells and stretches, "
      "the line table's slots, the line profile's tags and plan");
  command->add_option("FILE", o.files, "binary files of a compiled scenario")
      ->required();
  command
      ->add_option("--kind", o.kind,
                   "read every FILE as this kind instead of telling it by "
                   "name (*_linea.dat profile, *.sim table, *.dat track)")
      ->check(CLI::IsMember({"profile", "table", "track"}));
  command->add_flag("--json", o.json, "write JSON, one object per file");
  command
      ->add_option("--every", o.every_m,
                   "the spacing in metres of the plan points of a profile")
      ->check(CLI::Range(1, 1000000))
      ->capture_default_str();
  return command;
}

int run_dump(const dump_options& o, std::ostream& out, std::ostream& err) {
  json all = json::array();
  bool refused = false;
  for (const std::string& path : o.files)
    if (!dump_one(o, path, all, out, err)) refused = true;
  // Labels are turned into UTF-8 beforehand, so nothing invalid is left to
  // replace; the handler only keeps the dump from ever throwing.
  if (o.json)
    out << all.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
  return refused ? status_refused : 0;
}
