// What the authors' tool adds to a compile: the warnings the readers
// collected, shown the way compilers show them, and `check`, a compile that
// runs in memory so the author's folder stays as it was.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "base/step_result.h"
#include "model/compile_context.h"
#include "platform/memory_disk.h"

// Writes the warnings of ctx (in file and line order), one line each:
// "FILE:LINE:COL: warning: text", where FILE is `line_file` or `train_file`
// as the author should see them. With `as_errors` (--werror) each says
// "error:" instead and ends with " [--werror]". Returns how many it wrote.
int print_warnings(const compile_context& ctx, const std::string& line_file,
                   const std::string& train_file, bool as_errors,
                   std::ostream& err);

// The errors a compile reports: the code in the error slot, and what stopped
// the run.
int error_count(const compile_context& ctx, const step_result& r);

// The closing line of a check: "N error(s), M warning(s)".
std::string count_line(int errors, int warnings);

// The compile step with write flag j, run on `disk` instead of the files of
// ctx: the two sources are copied from ctx.files into the disk first (a
// missing one stays missing and an unreadable one unreadable, with the
// disk's error, so the compile reports them as it would on disk), and
// every file the step writes stays in the disk. ctx.files points at the disk
// afterwards.
step_result compile_in_memory(compile_context& ctx, memory_disk& disk,
                              std::int32_t j);

// The exit status of a check: 1 when an error was reported, or a warning with
// --werror, and 0 otherwise.
int check_status(int errors, int warnings, bool werror);
