// scenario_tool stays one static executable, whose compile starts in a few
// milliseconds; the web server of `view` links Debian's HTTP library, which
// comes as a shared library only, so it is the program scenario_view beside
// it. `view` starts that program in place of this process, with the same
// options.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tool/view.h"

int run_view(const view_options& o, std::ostream&, std::ostream& err) {
  const std::string program =
      join_path(executable_directory(), "scenario_view");
  std::vector<std::string> args = {
      program, "view",   "--scenario", o.scenario, "--train",
      o.train, "--host", o.host,       "--port",   std::to_string(o.port)};
  if (!o.dir.empty()) {
    args.push_back("--dir");
    args.push_back(o.dir);
  }
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::cout.flush();
  std::cerr.flush();
  ::execv(program.c_str(), argv.data());
  err << "scenario_tool: error: cannot start the web server " << program << ": "
      << std::strerror(errno) << '\n';
  return 2;
}
