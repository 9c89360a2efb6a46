#include "tool/cli/plot_command.h"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "base/terminal_text.h"
#include "model/compile_context.h"
#include "output/file_format.h"
#include "platform/platform.h"
#include "run/run_sequence.h"
#include "tool/authoring/diagnostics.h"
#include "tool/authoring/source_model.h"
#include "tool/authoring/stale_build.h"
#include "tool/cli/compile_options.h"
#include "tool/plot/plot.h"

namespace {

constexpr int status_error = 1;

// Reads and decodes one file of the scenario; false (reported) on a fault.
template <typename model>
bool load(const platform_files& files, const std::string& dir,
          const std::string& name, std::uint64_t largest_bytes,
          decode_fault (*decode)(std::string_view, model&), model& m,
          std::ostream& err) {
  const std::string shown = dir.empty() ? name : join_path(dir, name);
  std::string bytes;
  const step_result r = read_file(files, name, bytes, largest_bytes);
  if (!r.ok()) {
    err << "scenario_tool: error: " << terminal_safe(r.detail) << '\n';
    return false;
  }
  const decode_fault f = decode(bytes, m);
  if (!f.ok()) {
    err << terminal_safe(shown) << ": byte " << f.offset
        << ": error: " << f.what << '\n';
    return false;
  }
  return true;
}

// A file name (not only a path) with something before ".svg".
bool ends_with_svg(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  if (name.size() < 5) return false;
  std::string end = name.substr(name.size() - 4);
  for (char& c : end) c = static_cast<char>(std::tolower(c));
  return end == ".svg";
}

int write_picture(const std::string& out_file, const std::string& svg,
                  std::ostream& err) {
  const std::filesystem::path target(out_file);
  platform_files files;
  files.directory = target.has_parent_path() ? target.parent_path().string()
                                             : std::string(".");
  const step_result r =
      replace_file(files, target.filename().string(),
                   std::vector<std::uint8_t>(svg.begin(), svg.end()));
  if (!r.ok()) {
    err << "scenario_tool: error: " << terminal_safe(r.detail) << '\n';
    return status_stopped;
  }
  return 0;
}

void set_range(const plot_options& o, plot_input& in) {
  in.from_m = o.from_km < 0 ? 0 : o.from_km * 1000;
  in.to_m = o.to_km < 0 ? -1 : o.to_km * 1000;
}

// The picture of the sources compiled in memory; sources with errors give
// none, only their diagnostics.
int plot_sources_in_memory(const plot_options& o, const scenario_names& pair,
                           const char* why, std::ostream& out,
                           std::ostream& err) {
  const std::unique_ptr<source_model> m =
      compile_sources(o.dir, pair.scenario, pair.train);
  if (!m->drawable()) {
    print_diagnostics(m->diagnostics, false, err);
    err << "scenario_tool: no picture drawn: " << m->counts.errors
        << (m->counts.errors == 1 ? " error" : " errors")
        << " in the sources\n";
    return m->result.ok() ? status_error : status_stopped;
  }
  plot_input in = picture_of(*m);
  set_range(o, in);
  const int status = write_picture(o.out_file, plot_svg(in), err);
  if (status == 0)
    out << "drew " << o.out_file << " from the sources, compiled in memory ("
        << why << ")\n";
  return status;
}

}  // namespace

CLI::App* add_plot_command(CLI::App& app, plot_options& o) {
  CLI::App* command = app.add_subcommand(
      "plot",
      "draw the scenario of DIR as one SVG picture: the track plan, the "
      "gradient, the curvature, the speed limit, what stands along the line "
      "and the timetable");
  add_pair_options(*command, o.dir,
                   "the directory of the scenario (default: the current "
                   "directory)",
                   o.scenario, o.train);
  command
      ->add_option("--from", o.from_km,
                   "draw the line from this kilometre (default: its start)")
      ->check(CLI::NonNegativeNumber);
  command
      ->add_option("--to", o.to_km,
                   "draw the line up to this kilometre (default: its end)")
      ->check(CLI::NonNegativeNumber);
  command->add_flag("--from-binaries", o.from_binaries,
                    "draw the binary files as they are, even when they are "
                    "older than the sources");
  command->add_option("--out", o.out_file, "the SVG file to write")->required();
  return command;
}

int run_plot(const plot_options& o, std::ostream& out, std::ostream& err) {
  if (!ends_with_svg(o.out_file)) {
    err << "scenario_tool: error: --out " << o.out_file
        << ": plot writes SVG; give a file name that ends in .svg\n";
    return status_stopped;
  }
  if (o.from_km >= 0 && o.to_km >= 0 && o.to_km <= o.from_km) {
    err << "scenario_tool: error: --to " << o.to_km
        << " must lie beyond --from " << o.from_km << '\n';
    return status_stopped;
  }
  scenario_names pair;
  if (!choose_pair(o.dir, o.scenario, o.train, pair, err))
    return status_stopped;
  compile_context ctx;
  ctx.scenario_name = pair.scenario;
  ctx.train_name = pair.train;
  ctx.files.directory = o.dir.empty() ? "." : o.dir;
  const std::vector<std::string> sources = {line_source_name(ctx),
                                            train_source_name(ctx)};
  const bool have_sources =
      file_exists(ctx.files, sources[0]) && file_exists(ctx.files, sources[1]);
  const bool have_binaries = file_exists(ctx.files, track_file_name(ctx)) &&
                             file_exists(ctx.files, line_table_file_name(ctx));
  const bool stale =
      have_binaries &&
      (!source_newer_than(ctx.files, track_file_name(ctx), sources).empty() ||
       !source_newer_than(ctx.files, line_table_file_name(ctx), sources)
            .empty() ||
       !source_newer_than(ctx.files, line_profile_file_name(ctx), {sources[0]})
            .empty());
  // Without binary files the sources are drawn, and when they are missing
  // too, the plot says so as check does.
  if (!o.from_binaries && (!have_binaries || (have_sources && stale)))
    return plot_sources_in_memory(
        o, pair,
        have_binaries ? "the binary files are older than the sources"
                      : "there are no binary files",
        out, err);

  track_grid grid;
  line_table table;
  if (!load(ctx.files, o.dir, track_file_name(ctx), largest_track_file_bytes,
            decode_track, grid, err) ||
      !load(ctx.files, o.dir, line_table_file_name(ctx),
            largest_line_table_file_bytes, decode_line_table, table, err))
    return status_stopped;
  // A scenario compiled without its plan still has everything else to show.
  curve_table curves;
  const bool has_plan = file_exists(ctx.files, line_profile_file_name(ctx));
  if (has_plan &&
      !load(ctx.files, o.dir, line_profile_file_name(ctx),
            largest_profile_file_bytes, decode_line_profile, curves, err))
    return status_stopped;

  // Asked to draw stale binaries, it draws them with a word that they show
  // an earlier compile.
  for (const std::string& name :
       {track_file_name(ctx), line_table_file_name(ctx)})
    (void)warn_if_older_than_sources(ctx.files, o.dir, name, sources, err);
  (void)warn_if_older_than_sources(ctx.files, o.dir,
                                   line_profile_file_name(ctx),
                                   {line_source_name(ctx)}, err);

  plot_input in;
  in.scenario_name = pair.scenario;
  in.train_name = pair.train;
  in.grid = &grid;
  in.table = &table;
  in.curves = has_plan ? &curves : nullptr;
  set_range(o, in);
  const int status = write_picture(o.out_file, plot_svg(in), err);
  if (status == 0) out << "drew " << o.out_file << " from the binary files\n";
  return status;
}
