// The view's tests: the embedded scenario's sources in a folder of their own,
// compiled into a view_state; that state served on a free loopback port by a
// thread; and a client that speaks raw bytes to it, so a test can send what
// no well-behaved client would.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>

#include "platform/net.h"
#include "test/tool_run.h"
#include "tool/view/requests.h"
#include "tool/view/view_server.h"
#include "tool/view/view_state.h"

constexpr const char* view_train_file = "Cendra_Gelsio2_EC 482-.txt";

// A view of the embedded scenario's sources, served (for the handler) as
// 127.0.0.1:8765.
struct view_fixture {
  temp_dir dir;
  view_state state;
  view_fixture() {
    (void)run_scenario_tool({"export", "--dir", dir.path()});
    state.dir = dir.path();
    state.scenario = "Cendra_Gelsio2";
    state.train = "EC 482";
    state.hosts = {8765, {"127.0.0.1", "localhost"}, false};
    refresh_view(state);
  }
  view_response get(const std::string& path,
                    std::map<std::string, std::string> query = {}) {
    return handle_view_request(
        state, {"GET", path, std::move(query), "127.0.0.1:8765"});
  }
  // Rewrites the train source with one piece replaced, dated later so the
  // change is seen whatever the clock's grain.
  void edit_train(const std::string& from, const std::string& to) {
    std::string text = dir.read(view_train_file);
    text.replace(text.find(from), from.size(), to);
    dir.write(view_train_file, text);
    const std::filesystem::path path(dir.file(view_train_file));
    std::error_code ec;
    std::filesystem::last_write_time(
        path,
        std::filesystem::last_write_time(path, ec) + std::chrono::seconds(5),
        ec);
  }
};

// The fixture's state served on `host` (any free port) until destroyed.
struct served_view {
  view_fixture f;
  view_server_control control;
  std::ostringstream err;
  int status = -1;
  std::thread thread;
  explicit served_view(const std::string& host = "127.0.0.1") {
    thread = std::thread(
        [this, host] { status = serve_view(f.state, host, 0, control, err); });
    for (int i = 0; i < 500 && control.port == 0 && !control.stop; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ~served_view() {
    control.stop = true;
    thread.join();
  }
  int port() const { return control.port; }
  std::string host() const { return "127.0.0.1:" + std::to_string(port()); }
};

// One connection to a server on the loopback address.
class raw_client {
 public:
  explicit raw_client(int port, const std::string& address = "127.0.0.1") {
    net_address a;
    if (net_parse_address(address, a)) socket_ = net_connect(a, port);
  }
  ~raw_client() { net_close(socket_); }
  raw_client(const raw_client&) = delete;
  raw_client& operator=(const raw_client&) = delete;

  bool connected() const { return socket_ != net_no_socket; }

  // Sends all of `bytes` within `limit`; false when the server closed or
  // stopped taking them.
  bool send(std::string_view bytes,
            std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!bytes.empty() && std::chrono::steady_clock::now() < end) {
      if (!wait(false, true, end)) continue;
      const net_io r = net_write(socket_, bytes.data(), bytes.size());
      if (r.failed) return false;
      bytes.remove_prefix(r.bytes);
    }
    return bytes.empty();
  }

  // Reads until `text` has come, the server closes or `limit` passes;
  // returns all read so far on this connection.
  const std::string& read_until(
      std::string_view text,
      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!closed_ && received_.find(text) == std::string::npos &&
           std::chrono::steady_clock::now() < end) {
      if (!wait(true, false, end)) continue;
      char buffer[16384];
      const net_io r = net_read(socket_, buffer, sizeof buffer);
      if (r.closed || r.failed) closed_ = true;
      received_.append(buffer, r.bytes);
    }
    return received_;
  }
  // Reads until the server closes or `limit` passes.
  const std::string& read_all(
      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    return read_until(std::string_view("\0\0never\0\0", 9), limit);
  }
  bool closed() const { return closed_; }

 private:
  bool wait(bool read, bool write, std::chrono::steady_clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    std::vector<net_poll_item> items(1);
    items[0] = {socket_, read, write, false, false};
    (void)net_poll(items, static_cast<int>(std::max<long long>(
                              1, std::min<long long>(left.count(), 100))));
    return items[0].readable || items[0].writable;
  }

  net_socket socket_ = net_no_socket;
  std::string received_;
  bool closed_ = false;
};

// The status of an answer ("HTTP/1.1 200 OK..."); -1 when there is none.
inline int status_of(const std::string& answer) {
  if (answer.size() < 12 || answer.compare(0, 9, "HTTP/1.1 ") != 0) return -1;
  return std::stoi(answer.substr(9, 3));
}

// One request, on a connection of its own, answered and closed. What the
// server answered is read even when it stopped taking the request.
inline std::string fetch(int port, const std::string& request) {
  raw_client c(port);
  (void)c.send(request);
  return c.read_all();
}

inline std::string get_request(const std::string& path,
                               const std::string& host) {
  return "GET " + path + " HTTP/1.1\r\nHost: " + host +
         "\r\nConnection: close\r\n\r\n";
}
