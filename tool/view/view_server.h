// The view's web server: one thread that polls the listening socket and
// every connection, so that no client can hold what the others need.
#pragma once

#include <atomic>
#include <cstddef>
#include <ostream>
#include <string>

#include "tool/view/view_state.h"

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
// telling the open pages of each new version; returns 0, or 2 when the
// address cannot be taken (reported on `err`). `state` must hold a compile
// already; who changes it is the caller's (run_view watches the sources).
int serve_view(view_state& state, const std::string& host, int port,
               view_server_control& control, std::ostream& err);
