#include "tool/authoring/check.h"

#include "platform/platform.h"
#include "run/run_sequence.h"

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
