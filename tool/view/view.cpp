// The command `view`: compiles the sources once, then serves them
// (view_server.cpp) on one thread and compiles them again on another
// whenever they change, until Ctrl-C.
#include "tool/view/view.h"

#include <chrono>
#include <csignal>
#include <thread>

#include "tool/view/view_server.h"
#include "tool/view/view_state.h"

namespace {

// How often the sources are looked at: a change shows within a second.
constexpr auto watch_time = std::chrono::milliseconds(200);
// How often Ctrl-C is looked for. The server looks at its stop at least
// every 100 ms, so a stop takes well under a quarter of a second.
constexpr auto interrupt_look_time = std::chrono::milliseconds(20);

// Set by Ctrl-C. A signal handler can do no more than set a flag of this
// type, so this is the one variable outside any context; run_view turns it
// into the server's stop.
volatile std::sig_atomic_t interrupted = 0;
extern "C" void on_interrupt(int) { interrupted = 1; }

// Compiles again whenever a source has changed, until the server stops.
void watch_sources(view_state& state, const view_server_control& control) {
  for (;;) {
    std::this_thread::sleep_for(watch_time);
    if (control.stop) return;
    (void)refresh_view_if_changed(state);
  }
}

// The host as an address names it: an IPv6 literal in brackets.
std::string url_host(const std::string& host) {
  return host.find(':') != std::string::npos && host.front() != '['
             ? "[" + host + "]"
             : host;
}

}  // namespace

int run_view(const view_options& o, std::ostream& out, std::ostream& err) {
  view_state state;
  state.dir = o.dir;
  state.scenario = o.scenario;
  state.train = o.train;
  refresh_view(state);
  view_server_control control;
  int status = 0;
  interrupted = 0;
  std::signal(SIGINT, on_interrupt);
  std::signal(SIGTERM, on_interrupt);
  std::thread server([&] {
    status = serve_view(state, o.host, o.port, control, err);
    control.stop = true;
  });
  std::thread watcher([&] { watch_sources(state, control); });
  bool announced = false;
  while (!control.stop) {
    if (interrupted != 0) control.stop = true;
    if (!announced && control.port > 0) {
      out << "serving " << o.scenario << " \u00b7 " << o.train << " at http://"
          << url_host(o.host) << ":" << control.port << "/ (Ctrl-C stops)"
          << std::endl;
      announced = true;
    }
    std::this_thread::sleep_for(interrupt_look_time);
  }
  server.join();
  watcher.join();
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  return status;
}
