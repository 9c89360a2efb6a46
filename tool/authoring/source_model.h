// A scenario compiled in memory from its two sources: the model, where each
// mark came from in the sources, and what the compile has to say, every
// diagnostic as `check` shows it. `check` is one; the language server
// compiles one from the texts the editor holds, the plot draws from one when
// the binary files are missing or stale, and the view compiles one after
// every change of a source.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/step_result.h"
#include "model/compile_context.h"
#include "platform/memory_disk.h"
#include "tool/authoring/diagnostics.h"
#include "tool/authoring/session.h"

struct source_model {
  compile_context ctx;  // the model, with its cell, slot and curve owners
  memory_disk disk;     // the files the compile wrote, and its sources
  step_result result;
  std::string line_file;  // the sources as the author sees them
  std::string train_file;
  std::vector<diagnostic> diagnostics;
  diagnostic_counts counts;
  // Whether the compile gave a model a picture can be drawn from: it ran to
  // its end (a track grid and a line table) without an error.
  bool drawable() const { return result.ok() && counts.errors == 0; }
};

// Compiles the pair of `s` in memory, collecting warnings and the owners of
// marks, and lists every diagnostic as `check` shows it (after a code, a
// second compile that goes on past faulty rows finds the others). Never
// writes a file; the model's files point at its own memory disk.
std::unique_ptr<source_model> compile_sources(
    const author_settings& s, const diagnostic_options& options);

// The same for DIR/SCENARIO_linea.txt and DIR/SCENARIO_TRAIN-.txt with the
// plan, every error shown.
std::unique_ptr<source_model> compile_sources(const std::string& dir,
                                              const std::string& scenario,
                                              const std::string& train);

// The pair of `s` compiled in memory with `trace` following every field the
// readers take (what explain and the language server's hover and outline
// show); with `keep_going`, the reading goes on past each faulty row. No
// diagnostics are made.
std::unique_ptr<source_model> trace_sources(const author_settings& s,
                                            field_trace& trace,
                                            bool keep_going);

// The metre of the line a diagnostic is about, or -1: the position its
// message names ("at 2000 m"), else the first mark its row made.
double diagnostic_metre(const source_model& m, const diagnostic& d);
