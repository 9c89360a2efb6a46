// A scenario compiled in memory from its two sources, as a picture of it
// needs it: the model, where each mark came from in the sources, and what
// the compile has to say. The plot draws from it when the binary files are
// missing or stale; the view compiles one after every change of a source.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/step_result.h"
#include "model/compile_context.h"
#include "platform/memory_disk.h"
#include "tool/authoring/diagnostics.h"

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

// Compiles DIR/SCENARIO_linea.txt and DIR/SCENARIO_TRAIN-.txt in memory with
// the plan, collecting warnings and the owners of marks, and lists every
// diagnostic as `check` shows it (after a code, a second compile that goes
// on past faulty rows finds the others). `dir` is as the author gave it
// (empty: the current directory). Never writes a file.
std::unique_ptr<source_model> compile_sources(const std::string& dir,
                                              const std::string& scenario,
                                              const std::string& train);

// The metre of the line a diagnostic is about, or -1: the position its
// message names ("at 2000 m"), else the first mark its row made.
double diagnostic_metre(const source_model& m, const diagnostic& d);
