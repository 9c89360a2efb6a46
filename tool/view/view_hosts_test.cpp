// The Host rule of the view's server and the address --host binds.
#include "tool/view/view_hosts.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// What each --host listens on and answers to. A loopback bind answers to
// its own spellings; any other warns that the page is open and answers to
// its own address and the machine's name, a wildcard to any IP literal
// (which a rebound name can never be).
struct bind_case {
  const char* host;
  const char* address;
  bool open;
  std::vector<std::pair<std::string, bool>> hosts;  // Host, served
};
const bind_case bind_cases[] = {
    {"127.0.0.1",
     "127.0.0.1",
     false,
     {{"127.0.0.1:8765", true},
      {"localhost:8765", true},
      {"LOCALHOST:8765", true},
      {"[::1]:8765", false},
      {"127.0.0.1", false},
      {"127.0.0.1:80", false},
      {"127.0.0.1:08765", false},
      {"127.0.0.1:8765x", false},
      {"127.0.0.1:", false},
      {"rebound.example:8765", false},
      {"workstation:8765", false},
      {"", false}}},
    {"localhost",
     "127.0.0.1",
     false,
     {{"localhost:8765", true},
      {"127.0.0.1:8765", true},
      {"localhost", false},
      {"10.0.0.1:8765", false}}},
    {"::1",
     "::1",
     false,
     {{"[::1]:8765", true},
      {"localhost:8765", true},
      {"127.0.0.1:8765", false},
      {"[::1]", false}}},
    {"0.0.0.0",
     "0.0.0.0",
     true,
     {{"0.0.0.0:8765", true},
      {"192.168.1.20:8765", true},
      {"[fe80::1]:8765", true},
      {"localhost:8765", true},
      {"workstation:8765", true},
      {"192.168.1.20:80", false},
      {"192.168.1.020:8765", false},
      {"1.2.3:8765", false},
      {"rebound.example:8765", false}}},
    {"::",
     "::",
     true,
     {{"[::1]:8765", true},
      {"10.1.2.3:8765", true},
      {"Workstation:8765", true},
      {"rebound.example:8765", false}}},
    {"192.168.1.20",
     "192.168.1.20",
     true,
     {{"192.168.1.20:8765", true},
      {"workstation:8765", true},
      {"192.168.1.21:8765", false},
      {"localhost:8765", false}}},
};

TEST(view_hosts, each_bind_answers_to_its_own_host_forms) {
  for (const bind_case& c : bind_cases) {
    SCOPED_TRACE(c.host);
    const view_bind bind = view_bind_of(c.host, "WorkStation");
    EXPECT_EQ(bind.address, c.address);
    EXPECT_EQ(bind.open_to_network, c.open);
    const view_hosts hosts{8765, bind.names, bind.any_ip_literal};
    for (const auto& [host, served] : c.hosts) {
      SCOPED_TRACE(host);
      EXPECT_EQ(view_host_served(hosts, host), served);
    }
  }
  // The served forms without a port when the port is 80.
  const view_bind bind = view_bind_of("127.0.0.1", "");
  EXPECT_TRUE(view_host_served({80, bind.names, false}, "localhost"));
  EXPECT_TRUE(view_host_served({80, bind.names, false}, "127.0.0.1:80"));
  // A name is no address to listen on: it would be looked up.
  EXPECT_EQ(view_bind_of("example.org", "").address, "");
}

}  // namespace
