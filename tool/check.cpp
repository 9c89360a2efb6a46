#include "tool/check.h"

#include <CLI/CLI.hpp>
#include <filesystem>

#include "base/terminal_text.h"
#include "platform/platform.h"
#include "run/run_sequence.h"

std::string count_line(int errors, int warnings) {
  return std::to_string(errors) + " error(s), " + std::to_string(warnings) +
         " warning(s)";
}

step_result compile_in_memory(compile_context& ctx, memory_disk& disk,
                              std::int32_t j, const source_texts& unsaved) {
  for (const std::string& name :
       {line_source_name(ctx), train_source_name(ctx)}) {
    const auto given = unsaved.find(name);
    if (given != unsaved.end()) {
      disk.files[name] = given->second;
      continue;
    }
    if (!name_taken(ctx.files, name)) continue;
    std::string text;
    // A source that is there but cannot be read stays unreadable in memory,
    // with the error the disk gave, so the check reports the reading failure
    // a compile reports.
    const step_result read = read_file(ctx.files, name, text);
    if (read.ok())
      disk.files[name] = text;
    else
      disk.unreadable[name] = read.detail;
  }
  ctx.files.memory = &disk;
  return memorizza_percorso(ctx, j);
}

std::vector<diagnostic> diagnostics_after(
    const compile_context& ctx, const step_result& r,
    const compile_context& fresh, std::int32_t j, const source_texts& unsaved,
    const shown_sources& sources, const diagnostic_options& options) {
  if (ctx.error_code == 0)
    return compile_diagnostics(ctx, r, nullptr, sources, options);
  compile_context pass = fresh;
  pass.keep_going = true;
  memory_disk disk;
  (void)compile_in_memory(pass, disk, j, unsaved);
  return compile_diagnostics(ctx, r, &pass, sources, options);
}

std::vector<diagnostic> check_in_memory(compile_context& ctx, std::int32_t j,
                                        const source_texts& unsaved,
                                        shown_sources names,
                                        const diagnostic_options& options) {
  const compile_context fresh = ctx;
  memory_disk disk;
  const step_result r = compile_in_memory(ctx, disk, j, unsaved);
  // The texts are needed only to quote the lines of diagnostics.
  if (ctx.error_code != 0 || !ctx.warnings.empty()) {
    (void)read_file(ctx.files, line_source_name(ctx), names.line_text);
    (void)read_file(ctx.files, train_source_name(ctx), names.train_text);
  }
  std::vector<diagnostic> list =
      diagnostics_after(ctx, r, fresh, j, unsaved, names, options);
  ctx.files.memory = nullptr;
  return list;
}

std::string nothing_written_line(int errors) {
  return "no file written: " + std::to_string(errors) +
         (errors == 1 ? " error" : " errors");
}

bool warn_if_older_than_sources(const platform_files& files,
                                const std::string& dir,
                                const std::string& binary,
                                const std::vector<std::string>& sources,
                                std::ostream& err) {
  std::int64_t built = 0;
  if (!file_modified_time(files, binary, built)) return false;
  const auto shown = [&](const std::string& name) {
    return dir.empty() ? name : join_path(dir, name);
  };
  for (const std::string& source : sources) {
    std::int64_t edited = 0;
    if (!file_modified_time(files, source, edited) || edited <= built) continue;
    err << "scenario_tool: warning: " << terminal_safe(shown(binary))
        << " is older than " << terminal_safe(shown(source))
        << ": the source was changed after the last compile, so what is "
           "shown is an earlier build\n";
    return true;
  }
  return false;
}

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

std::string name_fault(const std::string& name) {
  if (name.empty()) return "a name cannot be empty";
  for (char c : name) {
    if (c == '/' || c == '\\')
      return "a name is part of a file name and cannot hold '/' or '\\': " +
             name;
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F)
      return "a name cannot hold control characters";
  }
  return "";
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

void add_name_options(CLI::App& command, std::string& scenario,
                      std::string& train) {
  scenario = embedded_scenario_name;
  train = embedded_train_name;
  command.add_option("--scenario", scenario, "the scenario name")
      ->check(name_fault, "NAME")
      ->capture_default_str();
  command.add_option("--train", train, "the train name")
      ->check(name_fault, "NAME")
      ->capture_default_str();
}
