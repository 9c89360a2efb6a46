// Helpers shared by the tests: a context that works in a given directory
// without a window, and a context whose line source has been read from text.
#pragma once

#include <string>

#include "model/compile_context.h"
#include "run/run_sequence.h"

// A headless context with the embedded names whose files live in `disk`.
inline compile_context make_memory_context(memory_disk& disk) {
  compile_context ctx;
  ctx.scenario_name = embedded_scenario_name;
  ctx.train_name = embedded_train_name;
  ctx.files.memory = &disk;
  ctx.files.headless = true;
  return ctx;
}

// A headless context with the embedded names, working in `dir`.
inline compile_context make_test_context(const std::string& dir) {
  compile_context ctx;
  ctx.scenario_name = embedded_scenario_name;
  ctx.train_name = embedded_train_name;
  ctx.files.directory = dir;
  ctx.files.headless = true;
  return ctx;
}
