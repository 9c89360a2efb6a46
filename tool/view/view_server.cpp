// The view's web server: one thread polls the listening socket and every
// connection (platform/net.h), reads each request's head as it arrives
// (tool/view/http.h), answers it with handle_view_request and writes the answer
// as the client takes it; the event streams are connections it holds too,
// written to when the version changes.
//
// No client can hold what the others need: nothing waits on a client, every
// connection has a deadline for what it owes (its whole head, the next byte
// of its answer taken), the connections and the event streams are capped
// (the oldest makes room for the newest), and a connection keeps at most one
// head and one answer in memory. The loop looks at the stop flags at least
// every poll_ms, so a stop ends it at once whatever the clients do.
#include "tool/view/view_server.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/net.h"
#include "tool/view/http.h"
#include "tool/view/requests.h"
#include "tool/view/view_hosts.h"

namespace {

using clock_type = std::chrono::steady_clock;

constexpr int status_stopped = 2;
// The longest a turn of the loop waits for a socket: the most a stop waits.
constexpr int poll_ms = 100;
// A request's whole head, counted from when the connection starts waiting
// for it (accepted, or its last answer sent), however slowly it trickles.
constexpr auto head_time = std::chrono::seconds(5);
// An answer or an event the client takes no byte of for this long.
constexpr auto send_stall_time = std::chrono::seconds(10);
// After an answer that closes the connection, what the client still sends
// (a body never read) is read and dropped for this long, up to
// linger_max_bytes, so that the close does not reset the connection before
// the client has read the answer.
constexpr auto linger_time = std::chrono::seconds(1);
constexpr std::size_t linger_max_bytes = 4 * 1024 * 1024;
// An idle stream gets a comment this often, which finds a closed one.
constexpr auto idle_event_time = std::chrono::seconds(15);
// Requests on one kept-alive connection before it is closed.
constexpr std::size_t requests_per_connection_max = 100;
constexpr std::size_t read_chunk_bytes = 16 * 1024;

enum class phase {
  head,    // reading a request's head
  answer,  // writing an answer
  stream,  // an event stream, written to on each new version
  linger,  // answered and half closed, dropping what still comes
};

struct connection {
  net_socket socket = net_no_socket;
  phase at = phase::head;
  std::uint64_t order = 0;  // when accepted, or made a stream
  std::string in;           // the head being read, and what follows it
  http_head_scan scan;
  std::string out;  // the answer or event being written
  std::size_t sent = 0;
  // In `head`, the end of the head's time; in `answer` and `stream`, when
  // the client must have taken a byte; in `linger`, the end of it.
  clock_type::time_point deadline;
  bool close_after = true;
  bool stream_after = false;
  std::size_t requests = 0;
  std::size_t dropped_bytes = 0;
  std::int64_t seen_version = -1;
  clock_type::time_point last_event;
};

struct server {
  view_state& state;
  std::vector<connection> connections;
  std::uint64_t next_order = 0;
};

void close_connection(connection& c) {
  net_close(c.socket);
  c.socket = net_no_socket;
}

void wait_for_head(connection& c, clock_type::time_point now) {
  c.at = phase::head;
  c.scan = http_head_scan{};
  c.deadline = now + head_time;
}

void start_answer(connection& c, std::string bytes, bool close_after,
                  clock_type::time_point now) {
  c.out = std::move(bytes);
  c.sent = 0;
  c.at = phase::answer;
  c.close_after = close_after;
  c.deadline = now + send_stall_time;
}

std::string refusal(int status, const std::string& why) {
  const std::string body = why + "\n";
  return http_answer_head(status, "text/plain; charset=utf-8", body.size(),
                          false) +
         body;
}

// Makes room for one more event stream: the oldest beyond the bound goes.
void bound_streams(server& s) {
  std::vector<connection*> streams;
  for (connection& c : s.connections)
    if (c.socket != net_no_socket && (c.at == phase::stream || c.stream_after))
      streams.push_back(&c);
  if (streams.size() < view_event_streams_max) return;
  std::sort(streams.begin(), streams.end(),
            [](const connection* a, const connection* b) {
              return a->order < b->order;
            });
  for (std::size_t i = 0; i + view_event_streams_max <= streams.size(); ++i)
    close_connection(*streams[i]);
}

// Answers the whole head at the front of c.in.
void answer_head(server& s, connection& c, clock_type::time_point now) {
  const std::size_t head_bytes = c.scan.head_bytes;
  const http_head_result parsed =
      parse_http_head(std::string_view(c.in).substr(0, head_bytes));
  c.in.erase(0, head_bytes);
  ++c.requests;
  if (parsed.refused != 0) {
    start_answer(c, refusal(parsed.refused, parsed.why), true, now);
    return;
  }
  const http_request_head& head = parsed.head;
  view_request r;
  r.method = head.method;
  r.path = std::string(http_target_path(head.target));
  r.query = http_target_query(head.target);
  r.host = head.host;
  const view_response a = handle_view_request(s.state, r);
  const bool head_only = head.method == "HEAD";
  if (a.events && !head_only) {
    bound_streams(s);
    start_answer(
        c, http_answer_head(a.status, a.content_type, std::string::npos, false),
        true, now);
    c.stream_after = true;
    c.order = s.next_order++;
    return;
  }
  // A body is never read, and a refused request may be followed by
  // anything: after either the connection closes.
  const bool keep = head.keep_alive && !head.has_body && a.status == 200 &&
                    !a.events && c.requests < requests_per_connection_max;
  std::string bytes =
      http_answer_head(a.status, a.content_type,
                       a.events ? std::string::npos : a.body.size(), keep);
  if (!head_only) bytes += a.body;
  start_answer(c, std::move(bytes), !keep, now);
}

// Looks at the bytes of c.in not yet seen; answers a whole head, refuses
// one beyond its bounds.
void scan_head(server& s, connection& c, clock_type::time_point now) {
  scan_http_head(c.in, c.scan);
  if (c.scan.refused != 0) {
    const int status = c.scan.refused;
    c.in.clear();
    start_answer(c,
                 refusal(status, status == 414 ? "the request line is too long"
                                               : "the head is too large"),
                 true, now);
  } else if (c.scan.head_bytes != 0) {
    answer_head(s, c, now);
  }
}

// Reads what the client sent: into the head being read, or dropped.
void read_from(server& s, connection& c, clock_type::time_point now) {
  char buffer[read_chunk_bytes];
  std::size_t room = sizeof buffer;
  // The scan refuses a head beyond its bound as soon as it is one byte
  // over, so a connection never keeps more than that.
  if (c.at == phase::head)
    room = std::min(room, http_head_max_bytes + 1 - c.in.size());
  const net_io r = net_read(c.socket, buffer, room);
  if (r.failed || r.closed) {
    close_connection(c);
    return;
  }
  if (r.again) return;
  if (c.at == phase::head) {
    c.in.append(buffer, r.bytes);
    scan_head(s, c, now);
  } else if (c.at == phase::linger) {
    c.dropped_bytes += r.bytes;
    if (c.dropped_bytes > linger_max_bytes) close_connection(c);
  }
}

// Writes what the client takes of c.out; when it is all sent, moves on.
void write_to(server& s, connection& c, clock_type::time_point now) {
  while (c.sent < c.out.size()) {
    const net_io r =
        net_write(c.socket, c.out.data() + c.sent, c.out.size() - c.sent);
    if (r.failed) {
      close_connection(c);
      return;
    }
    if (r.again || r.bytes == 0) return;
    c.sent += r.bytes;
    c.deadline = now + send_stall_time;
  }
  c.out.clear();
  c.sent = 0;
  if (c.at == phase::stream) return;
  if (c.stream_after) {
    c.stream_after = false;
    c.at = phase::stream;
    c.last_event = now;
  } else if (c.close_after) {
    net_shutdown_send(c.socket);
    c.at = phase::linger;
    c.deadline = now + linger_time;
  } else {
    wait_for_head(c, now);
    // A request sent before the answer (pipelined) may be whole already.
    if (!c.in.empty()) scan_head(s, c, now);
  }
}

// A stream with nothing to write gets the new version, or an idle comment.
void feed_stream(connection& c, std::int64_t version,
                 clock_type::time_point now) {
  if (!c.out.empty()) return;
  if (version != c.seen_version) {
    c.out = view_event_text(version);
    c.seen_version = version;
  } else if (now - c.last_event >= idle_event_time) {
    c.out = ": idle\n\n";
  } else {
    return;
  }
  c.sent = 0;
  c.last_event = now;
  c.deadline = now + send_stall_time;
}

void take_connection(server& s, net_socket socket, clock_type::time_point now) {
  if (s.connections.size() >= view_connections_max) {
    // The oldest that is waiting for a client; streams and answers being
    // written have their own bounds.
    connection* oldest = nullptr;
    for (connection& c : s.connections)
      if ((c.at == phase::head || c.at == phase::linger) &&
          (oldest == nullptr || c.order < oldest->order))
        oldest = &c;
    if (oldest == nullptr) {
      net_close(socket);
      return;
    }
    close_connection(*oldest);
    s.connections.erase(std::find_if(
        s.connections.begin(), s.connections.end(),
        [](const connection& c) { return c.socket == net_no_socket; }));
  }
  connection c;
  c.socket = socket;
  c.order = s.next_order++;
  wait_for_head(c, now);
  s.connections.push_back(std::move(c));
}

// A connection past its deadline is closed; one that sent part of a head
// first hears why, as far as it reads.
void enforce_deadline(connection& c, clock_type::time_point now) {
  if (c.socket == net_no_socket || now < c.deadline) return;
  if (c.at == phase::stream && c.out.empty()) return;
  if (c.at == phase::head && !c.in.empty()) {
    const std::string bytes = refusal(408, "the head took too long");
    (void)net_write(c.socket, bytes.data(), bytes.size());
  }
  close_connection(c);
}

void serve_until_stopped(server& s, net_socket listener,
                         view_server_control& control) {
  std::vector<net_poll_item> items;
  while (!control.stop) {
    items.assign(1, net_poll_item{listener, true, false, false, false});
    for (const connection& c : s.connections) {
      net_poll_item item;
      item.socket = c.socket;
      item.want_read = c.at != phase::answer;
      item.want_write = !c.out.empty();
      items.push_back(item);
    }
    (void)net_poll(items, poll_ms);
    const clock_type::time_point now = clock_type::now();
    std::int64_t version = 0;
    {
      const std::lock_guard<std::mutex> hold(s.state.lock);
      version = s.state.version;
    }
    // The connections polled are the first items.size() - 1; those taken
    // below wait for the next turn.
    for (std::size_t i = 0; i + 1 < items.size(); ++i) {
      connection& c = s.connections[i];
      if (c.socket != net_no_socket && items[i + 1].readable &&
          c.at != phase::answer)
        read_from(s, c, now);
      // An answer just made is tried at once: the socket can mostly take it.
      if (c.socket != net_no_socket && !c.out.empty() &&
          (items[i + 1].writable || c.sent == 0))
        write_to(s, c, now);
    }
    for (connection& c : s.connections) {
      if (c.socket != net_no_socket && c.at == phase::stream) {
        feed_stream(c, version, now);
        if (!c.out.empty()) write_to(s, c, now);
      }
      enforce_deadline(c, now);
    }
    s.connections.erase(
        std::remove_if(
            s.connections.begin(), s.connections.end(),
            [](const connection& c) { return c.socket == net_no_socket; }),
        s.connections.end());
    if (items.front().readable) {
      for (std::size_t taken = 0; taken < view_connections_max; ++taken) {
        const net_socket socket = net_accept(listener);
        if (socket == net_no_socket) break;
        take_connection(s, socket, now);
      }
    }
  }
  for (connection& c : s.connections) close_connection(c);
  s.connections.clear();
}

}  // namespace

int serve_view(view_state& state, const std::string& host, int port,
               view_server_control& control, std::ostream& err) {
  const view_bind bind = view_bind_of(host, net_host_name());
  net_address address;
  if (bind.address.empty() || !net_parse_address(bind.address, address)) {
    err << "scenario_tool: error: cannot listen on " << host
        << ": --host takes an IP address or localhost\n";
    return status_stopped;
  }
  int taken = port;
  std::string why;
  const net_socket listener = net_listen(address, taken, why);
  if (listener == net_no_socket) {
    err << "scenario_tool: error: cannot listen on " << host << ":" << port
        << " (" << why << ")\n";
    return status_stopped;
  }
  if (bind.open_to_network)
    err << "scenario_tool: warning: listening on " << host
        << ", not on the loopback address: the page and the scenario are "
           "open to anyone on the network who can reach this machine\n";
  {
    const std::lock_guard<std::mutex> hold(state.lock);
    state.hosts = {taken, bind.names, bind.any_ip_literal};
  }
  control.port = taken;

  server s{state, {}, 0};
  serve_until_stopped(s, listener, control);
  net_close(listener);
  return 0;
}
