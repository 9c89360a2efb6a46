// What the authors' tool adds to a compile: the warnings the readers
// collected, shown the way compilers show them, and `check`, a compile that
// runs in memory so the author's folder stays as it was.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "base/step_result.h"
#include "model/compile_context.h"
#include "platform/memory_disk.h"

// What print_warnings showed, by the way it showed them.
struct shown_warnings {
  int errors = 0;    // shown as "error:"
  int warnings = 0;  // shown as "warning:"
};

// Writes the warnings of ctx (in file and line order), one line each:
// "FILE:LINE:COL: warning: text", where FILE is `line_file` or `train_file`
// as the author should see them. A warning that means lost data (a row lost,
// a source with no row read, a file that is not single-byte text) says
// "error:" instead and counts as an error; with `werror` every other one
// does too and ends with " [--werror]".
shown_warnings print_warnings(const compile_context& ctx,
                              const std::string& line_file,
                              const std::string& train_file, bool werror,
                              std::ostream& err);

// A compile stopped for want of a track grid because of the code it
// recorded (the line source too long, missing, without its general section
// or its length row, or unreadable): the code's own line says why, so the
// stop is neither shown nor counted again.
bool stop_follows_from_code(const compile_context& ctx, const step_result& r);

// The errors a compile reports: the code in the error slot, and what stopped
// the run unless the stop follows from the code.
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

// "no file written: N error(s)", the last line of a compile that wrote
// nothing because of its errors.
std::string nothing_written_line(int errors);

// Warns, on `err`, when the binary file `binary` is older than one of the
// `sources` beside it in files.directory (sources that are not there are
// passed over): what is shown then is not what the sources say. `dir` is the
// directory as the author gave it, to show the names under. Returns whether
// it warned.
bool warn_if_older_than_sources(const platform_files& files,
                                const std::string& dir,
                                const std::string& binary,
                                const std::vector<std::string>& sources,
                                std::ostream& err);
