// The view behind the HTTP library (Debian: libcpp-httplib-dev on Linux, in
// the program scenario_view; the same library's header-only source, linked
// into scenario_tool.exe, on Windows): one handler turns each request into a
// view_request for handle_view_request, the event stream waits on the state
// for new versions, and a watcher thread polls the sources and stops the
// server when told to.
#include <httplib.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "run/run_sequence.h"
#include "tool/check.h"
#include "tool/view.h"

namespace {

constexpr int status_stopped = 2;
// How often the sources are looked at: a change shows within a second.
constexpr int poll_ms = 200;
// A connection's threads: the page, its event stream and a few fetches.
constexpr std::size_t server_threads = 8;

// Set by Ctrl-C. A signal handler can do no more than set a flag of this
// type, so this is the one variable outside any context; the watcher thread
// reads it.
volatile std::sig_atomic_t interrupted = 0;
extern "C" void on_interrupt(int) { interrupted = 1; }

view_request request_of(const httplib::Request& req) {
  view_request r;
  r.method = req.method;
  // The path as sent, before the library decodes it, so that an encoded
  // dot is seen too.
  r.path = req.target.substr(0, req.target.find('?'));
  for (const auto& [key, value] : req.params) r.query[key] = value;
  r.host = req.get_header_value("Host");
  return r;
}

void answer(view_state& state, const httplib::Request& req,
            httplib::Response& res) {
  const view_response r = handle_view_request(state, request_of(req));
  res.status = r.status;
  if (!r.events) {
    res.set_header("Cache-Control", "no-store");
    res.set_content(r.body, r.content_type.c_str());
    return;
  }
  res.set_header("Cache-Control", "no-store");
  auto seen = std::make_shared<std::int64_t>(-1);
  res.set_chunked_content_provider(
      "text/event-stream",
      [&state, seen](std::size_t, httplib::DataSink& sink) {
        const std::int64_t now = wait_for_version(state, *seen, 1000);
        {
          const std::lock_guard<std::mutex> hold(state.lock);
          if (state.stopping) return false;
        }
        // A comment keeps an idle stream alive and finds a closed one.
        const std::string message =
            now != *seen ? view_event_text(now) : std::string(": idle\n\n");
        *seen = now;
        return sink.write(message.data(), message.size());
      });
}

}  // namespace

int serve_view(view_state& state, const std::string& host, int port,
               view_server_control& control, std::ostream& err) {
  httplib::Server server;
  server.new_task_queue = [] {
    return new httplib::ThreadPool(server_threads);
  };
  // The port is this server's alone. The library's default lets a second
  // server take the same port beside it (SO_REUSEPORT here, and on Windows
  // SO_REUSEADDR, which also lets another user's program take it over), and
  // the browser's requests would then go to either. SO_REUSEADDR here only
  // lets a new server take a port whose last connections are still closing.
  server.set_socket_options([](socket_t sock) {
    int yes = 1;
#ifdef _WIN32
    setsockopt(sock, SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
               reinterpret_cast<const char*>(&yes), sizeof(yes));
#else
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
#endif
  });
  server.set_payload_max_length(64 * 1024);
  server.set_read_timeout(5);
  const auto handler = [&state](const httplib::Request& req,
                                httplib::Response& res) {
    answer(state, req, res);
  };
  // Every method and path goes to one handler, which refuses what it does
  // not serve; the library's file serving is never set up.
  server.Get(".*", handler);
  server.Post(".*", handler);
  server.Put(".*", handler);
  server.Delete(".*", handler);
  server.Options(".*", handler);
  server.Patch(".*", handler);

  const int bound = port == 0 ? server.bind_to_any_port(host)
                              : (server.bind_to_port(host, port) ? port : -1);
  if (bound <= 0) {
    err << "scenario_tool: error: cannot listen on " << host << ":" << port
        << '\n';
    return status_stopped;
  }
  {
    const std::lock_guard<std::mutex> hold(state.lock);
    const std::string port_text = ":" + std::to_string(bound);
    state.hosts = {host + port_text};
    if (host == "127.0.0.1") state.hosts.push_back("localhost" + port_text);
    if (host == "::1") state.hosts = {"[::1]" + port_text};
  }
  control.port = bound;

  std::thread watcher([&] {
    while (!control.stop && interrupted == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(poll_ms));
      (void)refresh_view_if_changed(state);
    }
    {
      const std::lock_guard<std::mutex> hold(state.lock);
      state.stopping = true;
    }
    state.changed.notify_all();
    server.stop();
  });
  (void)server.listen_after_bind();
  control.stop = true;
  watcher.join();
  return 0;
}

int run_view(const view_options& o, std::ostream& out, std::ostream& err) {
  view_state state;
  state.dir = o.dir;
  state.scenario = o.scenario;
  state.train = o.train;
  refresh_view(state);
  view_server_control control;
  interrupted = 0;
  std::signal(SIGINT, on_interrupt);
  std::signal(SIGTERM, on_interrupt);
  std::thread server([&] {
    const int status = serve_view(state, o.host, o.port, control, err);
    if (status != 0) control.port = -status;
    control.stop = true;
  });
  while (control.port == 0 && !control.stop)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (control.port > 0) {
    const std::string host =
        o.host.find(':') != std::string::npos ? "[" + o.host + "]" : o.host;
    out << "serving " << o.scenario << " \u00b7 " << o.train << " at http://"
        << host << ":" << control.port << "/ (Ctrl-C stops)" << std::endl;
  }
  server.join();
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  return control.port > 0 ? 0 : status_stopped;
}
