// scenario_tool: the authors' command line; everything but the standard
// streams and the terminal lives in run_tool.
#include <iostream>

#include "platform/platform.h"
#include "tool/cli/tool_main.h"

int main(int argc, char** argv) {
  const console_setup console = prepare_console();
  return run_tool(argc, argv, std::cout, std::cerr,
                  console.err_is_terminal && console.colour);
}
