// The author's compile in memory: `check`, a compile that runs in memory so
// the author's folder stays as it was, and the keep-going pass after a code
// that finds every independent error. The diagnostics themselves are built in
// diagnostics.h.
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
#include "tool/authoring/diagnostics.h"

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
