// What the view's threads share: the folder and names it shows, the last
// compile and the last one a picture can be drawn from, and the version that
// counts the compiles. The watcher (view.cpp) compiles into it, the server
// (view_server.cpp) answers from it (requests.h).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "tool/authoring/source_model.h"
#include "tool/view/view_hosts.h"

// Everything past the names is read and written under `lock`.
struct view_state {
  std::string dir;
  std::string scenario;
  std::string train;

  std::mutex lock;
  std::shared_ptr<const source_model> latest;  // the last compile
  // The last compile without errors: the picture shown, stale when it is
  // not the latest.
  std::shared_ptr<const source_model> good;
  std::int64_t version = 0;  // counts the compiles
  view_hosts hosts;          // set once the server listens
  // The sources' modification times at the last compile (-1: missing).
  std::int64_t line_time = -1;
  std::int64_t train_time = -1;
};

// Compiles the sources again and makes the result the current version.
void refresh_view(view_state& state);

// Compiles again when a source's modification time differs from that of the
// last compile; returns whether it did.
bool refresh_view_if_changed(view_state& state);
