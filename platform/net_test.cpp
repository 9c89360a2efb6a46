// The sockets of the view's server, on the loopback address: a listener
// that keeps its port to itself, non-blocking reads and writes, and a poll
// that says which side is ready. Built into the platform tests that run
// under wine too, so both backends are held to the same behaviour.
#include "platform/net.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Polls one socket until it is ready as asked, for up to a few seconds.
bool ready(net_socket s, bool read, bool write) {
  std::vector<net_poll_item> items(1);
  items[0] = {s, read, write, false, false};
  for (int turn = 0; turn < 50; ++turn) {
    if (!net_poll(items, 100)) return false;
    if ((read && items[0].readable) || (write && items[0].writable))
      return true;
  }
  return false;
}

TEST(net, addresses_are_ip_literals_only) {
  const struct {
    const char* text;
    bool v6;
    const char* spelled;  // nullptr: refused
  } cases[] = {
      {"127.0.0.1", false, "127.0.0.1"},
      {"0.0.0.0", false, "0.0.0.0"},
      {"::1", true, "::1"},
      {"0:0:0:0:0:0:0:1", true, "::1"},  // the OS's own spelling
      {"localhost", false, nullptr},     // a name is looked up elsewhere
      {"[::1]", false, nullptr},
      {"127.1", false, nullptr},
      {"", false, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    net_address a;
    ASSERT_EQ(net_parse_address(c.text, a), c.spelled != nullptr);
    if (c.spelled == nullptr) continue;
    EXPECT_EQ(a.v6, c.v6);
    EXPECT_EQ(a.text, c.spelled);
  }
}

TEST(net, a_listener_serves_one_connection_without_blocking) {
  net_address loopback;
  ASSERT_TRUE(net_parse_address("127.0.0.1", loopback));
  int port = 0;
  std::string error;
  const net_socket listener = net_listen(loopback, port, error);
  ASSERT_NE(listener, net_no_socket) << error;
  ASSERT_GT(port, 0);
  // Nothing waits yet: accept returns at once.
  EXPECT_EQ(net_accept(listener), net_no_socket);

  // The port is this listener's alone.
  int same = port;
  std::string second_error;
  EXPECT_EQ(net_listen(loopback, same, second_error), net_no_socket);
  EXPECT_FALSE(second_error.empty());

  const net_socket client = net_connect(loopback, port);
  ASSERT_NE(client, net_no_socket);
  ASSERT_TRUE(ready(listener, true, false));
  const net_socket server = net_accept(listener);
  ASSERT_NE(server, net_no_socket);

  char buffer[64];
  const net_io nothing = net_read(server, buffer, sizeof buffer);
  EXPECT_TRUE(nothing.again);
  EXPECT_EQ(nothing.bytes, 0u);

  ASSERT_TRUE(ready(client, false, true));
  EXPECT_EQ(net_write(client, "ping", 4).bytes, 4u);
  ASSERT_TRUE(ready(server, true, false));
  const net_io got = net_read(server, buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, got.bytes), "ping");

  // The client's end reads as closed, after what came before it.
  EXPECT_EQ(net_write(server, "pong", 4).bytes, 4u);
  net_shutdown_send(server);
  ASSERT_TRUE(ready(client, true, false));
  std::string answer;
  for (int i = 0; i < 10; ++i) {
    const net_io r = net_read(client, buffer, sizeof buffer);
    answer.append(buffer, r.bytes);
    if (r.closed) break;
    if (r.again) (void)ready(client, true, false);
  }
  EXPECT_EQ(answer, "pong");
  EXPECT_TRUE(net_read(client, buffer, sizeof buffer).closed);

  net_close(client);
  net_close(server);
  net_close(listener);
}

TEST(net, the_machine_has_a_name) { EXPECT_FALSE(net_host_name().empty()); }

}  // namespace
