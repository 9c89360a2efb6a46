#include "tool/authoring/session.h"

#include "platform/platform.h"
#include "run/run_sequence.h"

compile_context author_context(const author_settings& s) {
  compile_context ctx;
  ctx.scenario_name = s.names.scenario;
  ctx.train_name = s.names.train;
  // Never the empty string: the platform would join it into a path at the
  // root of the file system.
  ctx.files.directory = s.dir.empty() ? "." : s.dir;
  ctx.files.headless = true;
  ctx.files.keep_sources = true;
  ctx.collect_warnings = true;
  ctx.input_encoding = s.encoding;
  return ctx;
}

std::string shown_file(const std::string& dir, const std::string& name) {
  return dir.empty() ? name : join_path(dir, name);
}

shown_sources shown_names(const author_settings& s) {
  shown_sources shown;
  shown.line_file = shown_file(s.dir, line_source_file(s.names.scenario));
  shown.train_file =
      shown_file(s.dir, train_source_file(s.names.scenario, s.names.train));
  shown.track_file =
      shown_file(s.dir, track_file(s.names.scenario, s.names.train));
  return shown;
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

std::vector<diagnostic> diagnostics_after(const compile_context& ctx,
                                          const step_result& r,
                                          const author_settings& s,
                                          shown_sources sources,
                                          const diagnostic_options& options) {
  // The texts are needed only to quote the lines of diagnostics.
  if (ctx.error_code != 0 || !ctx.warnings.empty()) {
    (void)read_file(ctx.files, line_source_name(ctx), sources.line_text);
    (void)read_file(ctx.files, train_source_name(ctx), sources.train_text);
  }
  if (ctx.error_code == 0)
    return compile_diagnostics(ctx, r, nullptr, sources, options);
  compile_context pass = author_context(s);
  pass.keep_going = true;
  memory_disk disk;
  memory_disk nothing;
  if (!s.read_disk) pass.files.memory = &nothing;
  (void)compile_in_memory(pass, disk, plan_flag(s), s.unsaved);
  return compile_diagnostics(ctx, r, &pass, sources, options);
}
