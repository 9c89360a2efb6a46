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
// The request handling lives here, in plain functions a test calls without
// sockets; view_server.cpp puts it behind the HTTP library.
#pragma once

#include <CLI/CLI.hpp>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "tool/source_model.h"

struct view_options {
  std::string dir;  // empty: the current directory
  std::string scenario;
  std::string train;
  std::string host = "127.0.0.1";
  int port = 8765;  // 0: any free port
};

// What every thread of the server shares, under `lock`.
struct view_state {
  std::string dir;
  std::string scenario;
  std::string train;

  std::mutex lock;
  std::condition_variable changed;  // signalled on a new version or a stop
  std::shared_ptr<const source_model> latest;  // the last compile
  // The last compile without errors: the picture shown, stale when it is
  // not the latest.
  std::shared_ptr<const source_model> good;
  std::int64_t version = 0;  // counts the compiles
  bool stopping = false;
  // The Host values the server answers to: its address with its port.
  std::vector<std::string> hosts;
  // The sources' modification times at the last compile (-1: missing).
  std::int64_t line_time = -1;
  std::int64_t train_time = -1;
};

// Compiles the sources again and makes the result the current version.
void refresh_view(view_state& state);

// Compiles again when a source's modification time differs from that of the
// last compile; returns whether it did.
bool refresh_view_if_changed(view_state& state);

struct view_request {
  std::string method;  // "GET", "HEAD", ...
  std::string path;    // as requested, before any decoding
  std::map<std::string, std::string> query;
  std::string host;  // the Host header; empty when there was none
};

struct view_response {
  int status = 200;
  std::string content_type;
  std::string body;
  // The event stream: the server keeps the connection and sends
  // view_event_text() for each new version.
  bool events = false;
};

// Answers one request: the page (/), the picture (/plot.svg?from=M&to=M&
// width=PX), the model (/model.json: timetable, diagnostics, version, stale)
// and the event stream (/events). Anything else is refused: a path with
// "..", any other path (404), a method other than GET and HEAD (405), and a
// Host that is not one the server serves (421).
view_response handle_view_request(view_state& state, const view_request& r);

// Waits up to `wait_ms` for a version after `seen`, or a stop; returns the
// version then current.
std::int64_t wait_for_version(view_state& state, std::int64_t seen,
                              int wait_ms);

// One message of the event stream, naming a version.
std::string view_event_text(std::int64_t version);

// The page, with its script and style; it fetches everything else.
const std::string& view_page_html();

// How a running server is told to stop, and where it tells its port.
struct view_server_control {
  std::atomic<bool> stop{false};
  std::atomic<int> port{0};  // set once the server listens
};

// Serves `state` on host:port (0: any free port) until control.stop is set,
// watching the sources meanwhile; returns 0, or 2 when the address cannot be
// taken (reported on `err`). `state` must hold a compile already.
int serve_view(view_state& state, const std::string& host, int port,
               view_server_control& control, std::ostream& err);

CLI::App* add_view_command(CLI::App& app, view_options& o);

// Serves until interrupted (Ctrl-C) and returns 0, or reports on `err` and
// returns 2 when the address cannot be taken. Prints the address on `out`.
int run_view(const view_options& o, std::ostream& out, std::ostream& err);
