// scenario_tool compile and check: the author's compile, on disk and in
// memory.
#include <vector>

#include "base/terminal_text.h"
#include "platform/platform.h"
#include "run/error_messages.h"
#include "run/run_sequence.h"
#include "tool/authoring/source_model.h"
#include "tool/cli/compile_options.h"

namespace {

// "wrote N files, M warnings", with the errors written despite.
void print_written(std::size_t files, diagnostic_counts counts,
                   std::ostream& out) {
  out << "wrote " << files << (files == 1 ? " file" : " files");
  if (counts.errors > 0)
    out << " despite " << counts.errors
        << (counts.errors == 1 ? " error" : " errors");
  out << ", " << counts.warnings
      << (counts.warnings == 1 ? " warning" : " warnings") << '\n';
}

}  // namespace

// The compile writes its binary files as one staged set: each is written in
// full under a temporary name, and the set is renamed over the earlier build
// only when the compile had no error (or with --write-on-error, whatever the
// program would have written). A failed compile leaves the earlier build as
// it was.
int run_compile(const compile_options& o, std::ostream& out,
                std::ostream& err) {
  author_settings s;
  if (!settings_of(o, s, err)) return status_stopped;
  compile_context ctx = author_context(s);
  std::vector<staged_file> staged;
  ctx.files.staged = &staged;
  // From the reading of the sources to the last rename, this compile is
  // alone in the folder: a second one (after a save in between) waits, so
  // that the set on disk always comes from one reading of the sources.
  folder_lock lock;
  const step_result locked = lock_folder(ctx.files, folder_lock_wait_ms, lock);
  if (!locked.ok()) {
    err << program_name << ": error: " << terminal_safe(locked.detail) << '\n';
    return status_stopped;
  }
  const step_result r = memorizza_percorso(ctx, plan_flag(s));
  const diagnostic_counts counts = report_diagnostics(
      diagnostics_after(ctx, r, s, shown_names(s), {o.werror, o.max_errors}), o,
      err);
  int status = exit_status(ctx, r);
  if (counts.errors == 0 || o.write_on_error) {
    const std::size_t files = staged.size();
    const step_result committed = commit_staged(ctx.files);
    if (!committed.ok()) {
      err << program_name << ": error: " << terminal_safe(committed.detail)
          << '\n';
      status = status_stopped;
    } else if (!o.quiet) {
      print_written(files, counts, out);
    }
  } else {
    discard_staged(ctx.files);
    if (o.diagnostics_format != "json")
      err << program_name << ": " << nothing_written_line(counts.errors)
          << '\n';
  }
  print_summary(ctx, o, out);
  return counts.errors > 0 && status == 0 ? 1 : status;
}

// A compile in memory: the same report, and a count, and not a file written.
int run_check(const compile_options& o, std::ostream& out, std::ostream& err) {
  author_settings s;
  if (!settings_of(o, s, err)) return status_stopped;
  const std::unique_ptr<source_model> m =
      compile_sources(s, {o.werror, o.max_errors});
  const diagnostic_counts counts = report_diagnostics(m->diagnostics, o, err);
  if (o.diagnostics_format != "json")
    err << count_line(counts.errors, counts.warnings) << '\n';
  print_summary(m->ctx, o, out);
  return counts.errors > 0 ? 1 : 0;
}
