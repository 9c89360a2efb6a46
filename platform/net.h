// TCP sockets for the view's web server, behind a few free functions, one
// backend per OS (net_posix.cpp, net_win32.cpp). Every socket this layer
// hands out is non-blocking: a read or a write that would wait returns at
// once, and one thread serves every connection by polling them all.
//
// Addresses are IP literals only ("127.0.0.1", "::1", "0.0.0.0", "::"): a
// name is resolved by the caller, so no lookup ever waits on the network.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A socket as the OS names it (a file descriptor, or a Windows SOCKET).
using net_socket = std::uintptr_t;
constexpr net_socket net_no_socket = ~net_socket{0};

struct net_address {
  bool v6 = false;
  std::array<std::uint8_t, 16> bytes{};  // network order; 4 used for IPv4
  std::string text;                      // the OS's own spelling of it
};

// Reads an IP literal (IPv6 without brackets); false when `text` is none.
bool net_parse_address(const std::string& text, net_address& out);

// Listens on address:port (port 0: any free one), taking the port for this
// socket alone (SO_REUSEADDR on POSIX only lets a new server take a port
// whose last connections are still closing; SO_EXCLUSIVEADDRUSE on Windows
// keeps any other program off it). An IPv6 wildcard takes IPv4 connections
// too. Returns the socket and sets `port` to the one taken, or returns
// net_no_socket and says why in `error`.
net_socket net_listen(const net_address& address, int& port,
                      std::string& error);

// A waiting connection, non-blocking; net_no_socket when none waits.
net_socket net_accept(net_socket listener);

// Connects to address:port and waits for the connection (a client, for the
// tests); net_no_socket when refused.
net_socket net_connect(const net_address& address, int port);

// What a read or a write did: `bytes` moved (a read of 0 with `closed` set
// is the peer's end), `again` when the call would have waited, `failed` on
// a reset or any other fault.
struct net_io {
  std::size_t bytes = 0;
  bool closed = false;
  bool again = false;
  bool failed = false;
};
net_io net_read(net_socket s, char* buffer, std::size_t size);
// Never raises SIGPIPE: a write to a closed peer fails.
net_io net_write(net_socket s, const char* bytes, std::size_t size);

// Ends the sending side (the peer reads its end) and keeps the receiving.
void net_shutdown_send(net_socket s);
void net_close(net_socket s);

struct net_poll_item {
  net_socket socket = net_no_socket;
  bool want_read = false;
  bool want_write = false;
  // Set by net_poll: readable also on the peer's end or an error, which the
  // next read then reports.
  bool readable = false;
  bool writable = false;
};
// Waits up to timeout_ms for any item to be ready; false when the poll
// itself failed (the items are then left unready).
bool net_poll(std::vector<net_poll_item>& items, int timeout_ms);

// This machine's name, as the OS gives it; empty when it gives none.
std::string net_host_name();
