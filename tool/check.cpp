#include "tool/check.h"

#include "platform/platform.h"
#include "run/run_sequence.h"

int print_warnings(const compile_context& ctx, const std::string& line_file,
                   const std::string& train_file, bool as_errors,
                   std::ostream& err) {
  for (const author_warning& w : ctx.warnings) {
    err << (w.where == error_source::line_source ? line_file : train_file)
        << ':' << w.line << ':' << w.column << ": "
        << (as_errors ? "error: " : "warning: ") << w.text
        << (as_errors ? " [--werror]" : "") << '\n';
  }
  return static_cast<int>(ctx.warnings.size());
}

int error_count(const compile_context& ctx, const step_result& r) {
  return (ctx.error_code != 0 ? 1 : 0) + (r.ok() ? 0 : 1);
}

std::string count_line(int errors, int warnings) {
  return std::to_string(errors) + " error(s), " + std::to_string(warnings) +
         " warning(s)";
}

step_result compile_in_memory(compile_context& ctx, memory_disk& disk,
                              std::int32_t j) {
  for (const std::string& name :
       {line_source_name(ctx), train_source_name(ctx)}) {
    if (!file_exists(ctx.files, name)) continue;
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

int check_status(int errors, int warnings, bool werror) {
  return errors > 0 || (werror && warnings > 0) ? 1 : 0;
}
