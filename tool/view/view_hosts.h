// Which Host values the view's server answers to, and how --host becomes
// the address it listens on. A page elsewhere could otherwise reach the
// server through a name of its own that resolves to this machine (DNS
// rebinding).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The Host values a server answers to, with its port; anything else gets
// 421. An IP literal cannot be rebound: a wildcard bind answers to any.
struct view_hosts {
  int port = 0;
  std::vector<std::string> names;  // lower case; IPv6 in brackets
  bool any_ip_literal = false;
};

// Whether the value of a Host header names the server: one of its names
// with its port, or without a port when that is 80.
bool view_host_served(const view_hosts& hosts, std::string_view host);

// Whether `host` is an IPv4 literal (four decimal numbers up to 255) or an
// IPv6 literal in brackets, as a browser writes them in a Host header.
bool is_ip_literal_host(std::string_view host);

// How the server listens for --host: the address to bind, the names it
// answers to, and whether the page is then open to the network (any
// address but a loopback one). `address` is empty when
// --host is neither an IP address nor "localhost".
struct view_bind {
  std::string address;  // an IP literal, without brackets
  std::vector<std::string> names;
  bool any_ip_literal = false;
  bool open_to_network = false;
};
// `machine_name` is this machine's host name, which a wildcard or another
// non-loopback bind answers to as well.
view_bind view_bind_of(const std::string& host,
                       const std::string& machine_name);
