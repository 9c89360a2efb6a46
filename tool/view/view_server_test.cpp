// The view's server under clients that hold on: many event streams, heads
// that trickle in, methods it does not serve. Each case bounds what others
// must still get (an answer within seconds, streams dropped by count).
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "test/view_fixture.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using std::chrono::steady_clock;

// Clients at once: more than a pool of eight threads could serve, and
// than the server keeps event streams.
constexpr int clients = 12;
constexpr int streams_kept = static_cast<int>(view_event_streams_max);

long long elapsed_ms(steady_clock::time_point since) {
  return std::chrono::duration_cast<milliseconds>(steady_clock::now() - since)
      .count();
}

TEST(view_server, streams_beyond_their_bound_leave_the_page_answered) {
  served_view v;
  ASSERT_GT(v.port(), 0) << v.err.str();
  std::vector<std::unique_ptr<raw_client>> streams;
  for (int i = 0; i < clients; ++i) {
    SCOPED_TRACE(i);
    streams.push_back(std::make_unique<raw_client>(v.port()));
    ASSERT_TRUE(streams.back()->send(get_request("/events", v.host())));
    EXPECT_NE(streams.back()->read_until("data: 1\n\n").find("data: 1\n\n"),
              std::string::npos);
  }
  // The page comes at once (about a millisecond here).
  const auto start = steady_clock::now();
  EXPECT_EQ(status_of(fetch(v.port(), get_request("/", v.host()))), 200);
  EXPECT_LT(elapsed_ms(start), 2000);
  // The oldest streams made room for the newest.
  for (int i = 0; i < clients; ++i) {
    SCOPED_TRACE(i);
    streams[i]->read_all(milliseconds(i < clients - streams_kept ? 2000 : 50));
    EXPECT_EQ(streams[i]->closed(), i < clients - streams_kept);
  }
}

TEST(view_server, slow_heads_neither_stall_others_nor_outlast_their_time) {
  served_view v;
  ASSERT_GT(v.port(), 0) << v.err.str();
  const auto start = steady_clock::now();
  std::vector<std::unique_ptr<raw_client>> slow;
  for (int i = 0; i < clients; ++i) {
    slow.push_back(std::make_unique<raw_client>(v.port()));
    ASSERT_TRUE(
        slow.back()->send("GET / HTTP/1.1\r\nHost: " + v.host() + "\r\n"));
  }
  const auto asked = steady_clock::now();
  EXPECT_EQ(status_of(fetch(v.port(), get_request("/", v.host()))), 200);
  EXPECT_LT(elapsed_ms(asked), 2000);
  // A header line a second keeps every read busy, but the head as a whole
  // has five seconds: each slow client is told 408 and closed by then.
  int open = clients;
  while (open > 0 && elapsed_ms(start) < 15000) {
    open = 0;
    for (auto& c : slow) {
      if (c->closed()) continue;
      (void)c->send("X-Slow: 1\r\n", milliseconds(100));
      c->read_all(milliseconds(1));
      open += c->closed() ? 0 : 1;
    }
    std::this_thread::sleep_for(milliseconds(open > 0 ? 1000 : 0));
  }
  EXPECT_EQ(open, 0);
  for (auto& c : slow) EXPECT_EQ(status_of(c->read_all(seconds(1))), 408);
}

// Connections that send nothing: beyond the cap, the oldest make room, and
// the page is still answered at once.
TEST(view_server, connections_beyond_the_cap_make_room_for_the_newest) {
  served_view v;
  ASSERT_GT(v.port(), 0) << v.err.str();
  const int idle_count = static_cast<int>(view_connections_max) + 6;
  std::vector<std::unique_ptr<raw_client>> idle;
  for (int i = 0; i < idle_count; ++i)
    idle.push_back(std::make_unique<raw_client>(v.port()));
  const auto asked = steady_clock::now();
  EXPECT_EQ(status_of(fetch(v.port(), get_request("/", v.host()))), 200);
  EXPECT_LT(elapsed_ms(asked), 2000);
  // The page's connection and the idle ones beyond the cap: that many of
  // the oldest were closed, and only those.
  const int made_room = idle_count + 1 - static_cast<int>(view_connections_max);
  for (int i = 0; i < idle_count; ++i) {
    SCOPED_TRACE(i);
    idle[i]->read_all(milliseconds(i < made_room ? 2000 : 10));
    EXPECT_EQ(idle[i]->closed(), i < made_room);
  }
}

// A method the server does not serve is answered at once, whether or not
// a body is announced: nothing waits for a body that never comes.
TEST(view_server, other_methods_are_refused_at_once) {
  served_view v;
  ASSERT_GT(v.port(), 0) << v.err.str();
  const std::string host = "Host: " + v.host() + "\r\n";
  const struct {
    const char* note;
    std::string request;
  } cases[] = {
      {"TRACE", "TRACE / HTTP/1.1\r\n" + host + "\r\n"},
      {"POST without a length", "POST / HTTP/1.1\r\n" + host + "\r\n"},
      {"PATCH without a length",
       "PATCH /model.json HTTP/1.1\r\n" + host + "\r\n"},
      {"POST with a body never sent",
       "POST / HTTP/1.1\r\n" + host + "Content-Length: 100\r\n\r\n"},
      {"DELETE by HTTP/1.0", "DELETE / HTTP/1.0\r\n" + host + "\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    const auto start = steady_clock::now();
    raw_client client(v.port());
    ASSERT_TRUE(client.send(c.request));
    const std::string answer = client.read_all(seconds(10));
    EXPECT_EQ(status_of(answer), 405);
    EXPECT_NE(answer.find("Allow: GET, HEAD\r\n"), std::string::npos);
    EXPECT_TRUE(client.closed());
    EXPECT_LT(elapsed_ms(start), 2000);
  }
}

}  // namespace
