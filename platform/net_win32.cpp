// Windows backend of the sockets (net.h): Winsock 2, polled with WSAPoll
// (Windows Vista and later, as the toolchain's _WIN32_WINNT declares).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/net.h"

namespace {

SOCKET socket_of(net_socket s) { return static_cast<SOCKET>(s); }

// Winsock must be started once per process before the first call; it stays
// started until the process ends.
bool winsock_started() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

bool make_non_blocking(SOCKET s) {
  u_long yes = 1;
  return ioctlsocket(s, FIONBIO, &yes) == 0;
}

int socket_address_of(const net_address& a, int port, sockaddr_storage& out) {
  std::memset(&out, 0, sizeof out);
  if (a.v6) {
    auto* in6 = reinterpret_cast<sockaddr_in6*>(&out);
    in6->sin6_family = AF_INET6;
    in6->sin6_port = htons(static_cast<u_short>(port));
    std::memcpy(&in6->sin6_addr, a.bytes.data(), 16);
    return static_cast<int>(sizeof(sockaddr_in6));
  }
  auto* in4 = reinterpret_cast<sockaddr_in*>(&out);
  in4->sin_family = AF_INET;
  in4->sin_port = htons(static_cast<u_short>(port));
  std::memcpy(&in4->sin_addr, a.bytes.data(), 4);
  return static_cast<int>(sizeof(sockaddr_in));
}

bool is_wildcard(const net_address& a) {
  for (std::size_t i = 0; i < (a.v6 ? 16u : 4u); ++i)
    if (a.bytes[i] != 0) return false;
  return true;
}

std::string error_text(int code) {
  char text[256] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, static_cast<DWORD>(code), 0, text, sizeof text,
                 nullptr);
  std::string s = text;
  while (!s.empty() &&
         (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
    s.pop_back();
  return s.empty() ? "error " + std::to_string(code) : s;
}

net_io io_fault() {
  net_io r;
  const int code = WSAGetLastError();
  if (code == WSAEWOULDBLOCK || code == WSAEINTR)
    r.again = true;
  else
    r.failed = true;
  return r;
}

// A single call moves at most what an int counts.
int clamp_size(std::size_t size) {
  return static_cast<int>(
      std::min<std::size_t>(size, std::numeric_limits<int>::max()));
}

}  // namespace

bool net_parse_address(const std::string& text, net_address& out) {
  out = net_address{};
  if (!winsock_started()) return false;
  char spelled[INET6_ADDRSTRLEN] = {};
  if (inet_pton(AF_INET, text.c_str(), out.bytes.data()) == 1) {
    inet_ntop(AF_INET, out.bytes.data(), spelled, sizeof spelled);
  } else if (inet_pton(AF_INET6, text.c_str(), out.bytes.data()) == 1) {
    out.v6 = true;
    inet_ntop(AF_INET6, out.bytes.data(), spelled, sizeof spelled);
  } else {
    return false;
  }
  out.text = spelled;
  return true;
}

net_socket net_listen(const net_address& address, int& port,
                      std::string& error) {
  if (!winsock_started()) {
    error = "the sockets could not be started";
    return net_no_socket;
  }
  const SOCKET s = socket(address.v6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) {
    error = error_text(WSAGetLastError());
    return net_no_socket;
  }
  SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
  int yes = 1, no = 0;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
             reinterpret_cast<const char*>(&yes), sizeof yes);
  if (address.v6 && is_wildcard(address))
    setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&no),
               sizeof no);
  sockaddr_storage where;
  const int length = socket_address_of(address, port, where);
  if (bind(s, reinterpret_cast<sockaddr*>(&where), length) != 0 ||
      listen(s, SOMAXCONN) != 0 || !make_non_blocking(s)) {
    error = error_text(WSAGetLastError());
    closesocket(s);
    return net_no_socket;
  }
  int taken_length = static_cast<int>(sizeof where);
  getsockname(s, reinterpret_cast<sockaddr*>(&where), &taken_length);
  port = ntohs(address.v6 ? reinterpret_cast<sockaddr_in6*>(&where)->sin6_port
                          : reinterpret_cast<sockaddr_in*>(&where)->sin_port);
  return static_cast<net_socket>(s);
}

net_socket net_accept(net_socket listener) {
  const SOCKET s = accept(socket_of(listener), nullptr, nullptr);
  if (s == INVALID_SOCKET) return net_no_socket;
  // An accepted socket inherits the listener's non-blocking mode; set it
  // again all the same, as POSIX needs.
  if (!make_non_blocking(s)) {
    closesocket(s);
    return net_no_socket;
  }
  return static_cast<net_socket>(s);
}

net_socket net_connect(const net_address& address, int port) {
  if (!winsock_started()) return net_no_socket;
  const SOCKET s = socket(address.v6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) return net_no_socket;
  sockaddr_storage where;
  const int length = socket_address_of(address, port, where);
  if (connect(s, reinterpret_cast<sockaddr*>(&where), length) != 0 ||
      !make_non_blocking(s)) {
    closesocket(s);
    return net_no_socket;
  }
  return static_cast<net_socket>(s);
}

net_io net_read(net_socket s, char* buffer, std::size_t size) {
  const int n = recv(socket_of(s), buffer, clamp_size(size), 0);
  if (n < 0) return io_fault();
  net_io r;
  r.bytes = static_cast<std::size_t>(n);
  r.closed = n == 0 && size > 0;
  return r;
}

net_io net_write(net_socket s, const char* bytes, std::size_t size) {
  const int n = send(socket_of(s), bytes, clamp_size(size), 0);
  if (n < 0) return io_fault();
  net_io r;
  r.bytes = static_cast<std::size_t>(n);
  return r;
}

void net_shutdown_send(net_socket s) { shutdown(socket_of(s), SD_SEND); }

void net_close(net_socket s) {
  if (s != net_no_socket) closesocket(socket_of(s));
}

bool net_poll(std::vector<net_poll_item>& items, int timeout_ms) {
  std::vector<WSAPOLLFD> fds(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    fds[i].fd = socket_of(items[i].socket);
    fds[i].events = static_cast<SHORT>((items[i].want_read ? POLLRDNORM : 0) |
                                       (items[i].want_write ? POLLWRNORM : 0));
    items[i].readable = items[i].writable = false;
  }
  // WSAPoll with no socket at all fails rather than waits.
  if (fds.empty()) {
    Sleep(static_cast<DWORD>(timeout_ms));
    return true;
  }
  const int n = WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), timeout_ms);
  if (n < 0) return false;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const SHORT got = fds[i].revents;
    items[i].readable = (got & (POLLRDNORM | POLLHUP | POLLERR)) != 0;
    items[i].writable = (got & (POLLWRNORM | POLLERR)) != 0;
  }
  return true;
}

std::string net_host_name() {
  if (!winsock_started()) return "";
  char name[256] = {};
  if (gethostname(name, static_cast<int>(sizeof name - 1)) != 0) return "";
  return name;
}
