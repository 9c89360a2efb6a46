// The author's compile: the context every command, the language server and
// the view compile a pair of sources in, the compile in memory, and the
// keep-going pass after a code that finds every independent error. What a
// compile has to say is built in diagnostics.h; source_model.h holds one
// whole compile in memory with its diagnostics.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/step_result.h"
#include "model/compile_context.h"
#include "model/file_names.h"
#include "platform/memory_disk.h"
#include "tool/authoring/diagnostics.h"

// Texts that stand in for the files of these bare names: the sources as an
// editor holds them, unsaved.
using source_texts = std::map<std::string, std::string, std::less<>>;

// What an author's compile is of, and how.
struct author_settings {
  std::string dir;  // as the author gave it; empty: the current directory
  scenario_names names;
  label_encoding encoding = label_encoding::single_byte;
  bool with_plan = true;  // build the track plan (the line profile)
  // Without the disk, only `unsaved` holds sources: one it does not hold is
  // missing (the language server when it may not read files).
  bool read_disk = true;
  source_texts unsaved;
};

// The context of an author's compile: no window (a tool shows none), the
// sources kept (they are the author's work), warnings and the owners of
// marks collected.
compile_context author_context(const author_settings& s);

// The write flag of the compile step: 1 with the track plan, 0 without.
inline std::int32_t plan_flag(const author_settings& s) {
  return s.with_plan ? 1 : 0;
}

// A file of the pair as the author sees it: under the directory as it was
// given, or bare for the current directory.
std::string shown_file(const std::string& dir, const std::string& name);

// The two sources and the track file as the author sees them, without text.
shown_sources shown_names(const author_settings& s);

// The compile step with write flag j, run on `disk` instead of the files of
// ctx: the two sources are copied into the disk first, from `unsaved` when
// it holds them and from ctx.files otherwise (a missing one stays missing
// and an unreadable one unreadable, with the disk's error, so the compile
// reports them as it would on disk), and every file the step writes stays
// in the disk. ctx.files points at the disk afterwards.
step_result compile_in_memory(compile_context& ctx, memory_disk& disk,
                              std::int32_t j, const source_texts& unsaved = {});

// The diagnostics of a compile `ctx` of the pair `s` that ended with `r`,
// its sources named as `sources` names them; their lines are quoted from
// the texts the compile read (through ctx.files). After a code, the same
// sources are compiled once more in memory, going on past each faulty row,
// so every independent error is shown.
std::vector<diagnostic> diagnostics_after(const compile_context& ctx,
                                          const step_result& r,
                                          const author_settings& s,
                                          shown_sources sources,
                                          const diagnostic_options& options);
