// scenario_tool view: the scenario of a folder as a page in the browser,
// drawn again whenever a source changes.
//
//   scenario_tool view [--dir D] [--scenario NAME] [--train NAME]
//                      [--port P] [--host H]
//
// A small web server on the loopback address (or on --host) serves one page:
// the plan and profile panels of `plot`, zoomed and panned along the
// kilometre axis, the timetable and the diagnostics of the sources. A thread
// polls the sources' modification times a few times a second; on a change it
// compiles them again in memory and tells the open pages through server-sent
// events, and they fetch the new picture. Sources with errors keep the last
// good picture, marked as stale, beside their diagnostics.
//
// This is the command's entry; its pieces are the state they share
// (view_state.h), the answers to requests (requests.h), the Host rule
// (view_hosts.h), the server loop (view_server.h) and the page
// (view_page.h, built in from page/).
#pragma once

#include <ostream>
#include <string>

struct view_options {
  std::string dir;  // empty: the current directory
  std::string scenario;
  std::string train;
  std::string host = "127.0.0.1";
  int port = 8765;  // 0: any free port
};

// Compiles the sources, then serves them and watches them until interrupted
// (Ctrl-C) and returns 0, or reports on `err` and returns 2 when the address
// cannot be taken. Prints the address on `out`.
int run_view(const view_options& o, std::ostream& out, std::ostream& err);
