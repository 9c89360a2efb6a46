// The view of a build without the HTTP library (Linux without
// libcpp-httplib-dev, or the Windows cross-build without the library's
// source). Everything but the server is there; `view` says that this build
// cannot serve the page.
#include "tool/view.h"

namespace {

constexpr int status_stopped = 2;

}  // namespace

int run_view(const view_options&, std::ostream&, std::ostream& err) {
  err << "scenario_tool: error: this build of scenario_tool has no web "
         "server (it was built without cpp-httplib); use plot to draw the "
         "scenario\n";
  return status_stopped;
}
