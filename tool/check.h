// What the authors' tool adds around a compile: `check`, a compile that runs
// in memory so the author's folder stays as it was; the rule that a stop
// following from its code is said once; the closing lines; and the warning
// that binary files are older than their sources. The diagnostics themselves
// are built in diagnostics.h.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "base/step_result.h"
#include "model/compile_context.h"
#include "platform/memory_disk.h"

namespace CLI {
class App;
}
#include "tool/diagnostics.h"

// The closing line of a check: "N error(s), M warning(s)".
std::string count_line(int errors, int warnings);

// Texts that stand in for the files of these bare names: the sources as an
// editor holds them, unsaved.
using source_texts = std::map<std::string, std::string, std::less<>>;

// The compile step with write flag j, run on `disk` instead of the files of
// ctx: the two sources are copied into the disk first, from `unsaved` when
// it holds them and from ctx.files otherwise (a missing one stays missing
// and an unreadable one unreadable, with the disk's error, so the compile
// reports them as it would on disk), and every file the step writes stays
// in the disk. ctx.files points at the disk afterwards.
step_result compile_in_memory(compile_context& ctx, memory_disk& disk,
                              std::int32_t j, const source_texts& unsaved = {});

// The diagnostics of a compile `ctx` that ended with `r`. After a code, the
// same sources are compiled once more in memory from `fresh` (a context as
// ctx was before its compile), going on past each faulty row, so every
// independent error is shown.
std::vector<diagnostic> diagnostics_after(
    const compile_context& ctx, const step_result& r,
    const compile_context& fresh, std::int32_t j, const source_texts& unsaved,
    const shown_sources& sources, const diagnostic_options& options);

// scenario_tool check as a function: compiles ctx (a fresh context with its
// names and settings) in memory, with `unsaved` standing in for its files,
// and returns everything check reports, the files named as in `names`
// (whose texts are filled here). Writes no file; ctx holds the compile
// afterwards, its files pointing at no memory disk.
std::vector<diagnostic> check_in_memory(compile_context& ctx, std::int32_t j,
                                        const source_texts& unsaved,
                                        shown_sources names,
                                        const diagnostic_options& options);

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

// Whether the files `names` of `files` may be written: always with `force`;
// otherwise only when none of them exists. Each that does is reported as
// "DIR/NAME already exists" (the bare name when `shown_dir` is empty), then
// one line that nothing was written and --force would replace them.
bool may_write_files(const platform_files& files, const std::string& shown_dir,
                     const std::vector<std::string>& names, bool force,
                     std::ostream& err);

// A path from the command line as the platform reads it: the directory it
// is in and its bare name, so it can name a file anywhere.
struct file_place {
  platform_files files;
  std::string name;
};
file_place place_of(const std::string& path);

// What is wrong with a scenario or train name, or empty when nothing is. The
// names become parts of file names, so a separator would put a file outside
// the directory the author named.
std::string name_fault(const std::string& name);

// The --scenario and --train options of a command, defaulting to the
// embedded scenario's names, each checked by name_fault.
void add_name_options(CLI::App& command, std::string& scenario,
                      std::string& train);

// Makes `dir` (and the folders above it) when it does not exist; a command
// that writes files into it calls this first. Empty stands for the current
// directory. False, with a message on `err`, when it cannot be made.
bool make_directory(const std::string& dir, std::ostream& err);
