// scenario_tool: the authors' command line; everything but the standard
// streams lives in run_tool.
#include <iostream>

#include "tool/tool_main.h"

int main(int argc, char** argv) {
  return run_tool(argc, argv, std::cout, std::cerr);
}
