// scenario_tool: the authors' command line; everything but the standard
// streams lives in run_tool.
#include <iostream>

#include "tool/tool_main.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

bool stderr_is_terminal() {
#ifdef _WIN32
  return _isatty(2) != 0;
#else
  return ::isatty(2) != 0;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  return run_tool(argc, argv, std::cout, std::cerr, stderr_is_terminal());
}
