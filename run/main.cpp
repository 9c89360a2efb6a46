// genera_scenario: writes the embedded scenario out and compiles it, in the
// directory of its own executable. No arguments, no input.
#include "run/run_sequence.h"

int main() {
  compile_context ctx;
  ctx.files.directory = executable_directory();
  if (ctx.files.directory.empty()) {
    show_message(ctx.files, "cannot find the directory of the executable");
    return 2;
  }
  step_result result = run_program(ctx);
  return exit_status(ctx, result);
}
