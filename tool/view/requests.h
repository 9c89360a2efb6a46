// The answers of the view's server, in plain functions a test or the fuzz
// target calls without sockets: the page, the picture, the model and the
// event stream, and the refusals. view_server.cpp serves them over HTTP/1.1.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "tool/view/view_state.h"

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
//
// The model's diagnostics are those `check --diagnostics-format json` writes
// for the same sources (tool/authoring/diagnostics.h), notes included, each
// with `metre` beside its fields: the place on the line it is about, or -1.
view_response handle_view_request(view_state& state, const view_request& r);

// One message of the event stream, naming a version.
std::string view_event_text(std::int64_t version);
