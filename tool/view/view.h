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
// sockets; view_server.cpp serves it over HTTP/1.1 (tool/view/http.h) from one
// thread that polls every connection, so no client can hold what the others
// need.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tool/authoring/source_model.h"

struct view_options {
  std::string dir;  // empty: the current directory
  std::string scenario;
  std::string train;
  std::string host = "127.0.0.1";
  int port = 8765;  // 0: any free port
};

// The Host values a server answers to, with its port; anything else gets
// 421, so that a page elsewhere cannot reach the server through a name of
// its own that resolves to this machine (DNS rebinding). An IP literal
// cannot be rebound: a wildcard bind answers to any.
struct view_hosts {
  int port = 0;
  std::vector<std::string> names;  // lower case; IPv6 in brackets
  bool any_ip_literal = false;
};

// Whether the value of a Host header names the server: one of its names
// with its port, or without a port when that is 80.
bool view_host_served(const view_hosts& hosts, std::string_view host);

// Whether `host` is an IPv4 literal (four decimal numbers up to 255) or an
// IPv6 literal in brackets, as a browser writes them in a Host header.
bool is_ip_literal_host(std::string_view host);

// How the server listens for --host: the address to bind, the names it
// answers to, and whether the page is then open to the network (any
// address but a loopback one). `address` is empty when
// --host is neither an IP address nor "localhost".
struct view_bind {
  std::string address;  // an IP literal, without brackets
  std::vector<std::string> names;
  bool any_ip_literal = false;
  bool open_to_network = false;
};
// `machine_name` is this machine's host name, which a wildcard or another
// non-loopback bind answers to as well.
view_bind view_bind_of(const std::string& host,
                       const std::string& machine_name);

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
  view_hosts hosts;  // set once the server listens
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
// and the event stream (/events). Anything else is refused: a Host that is
// not one the server serves (421), a method other than GET and HEAD (405),
// a path with ".." (400) and any other path (404).
view_response handle_view_request(view_state& state, const view_request& r);

// Waits up to `wait_ms` for a version after `seen`, or a stop; returns the
// version then current.
std::int64_t wait_for_version(view_state& state, std::int64_t seen,
                              int wait_ms);

// One message of the event stream, naming a version.
std::string view_event_text(std::int64_t version);

// The page, with its script and style; it fetches everything else.
const std::string& view_page_html();

// Open connections; a new one beyond closes the oldest that is still
// sending its head, or is closed itself when none is.
constexpr std::size_t view_connections_max = 64;
// Event streams, one per open page; a new one beyond closes the oldest (its
// page connects again a few seconds later).
constexpr std::size_t view_event_streams_max = 8;

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

// Serves until interrupted (Ctrl-C) and returns 0, or reports on `err` and
// returns 2 when the address cannot be taken. Prints the address on `out`.
int run_view(const view_options& o, std::ostream& out, std::ostream& err);
