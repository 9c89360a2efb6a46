// POSIX backend of the sockets (net.h).
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/net.h"

namespace {

int fd_of(net_socket s) { return static_cast<int>(s); }

bool make_non_blocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL, 0);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// The address as the socket calls take it; returns its length.
socklen_t socket_address_of(const net_address& a, int port,
                            sockaddr_storage& out) {
  std::memset(&out, 0, sizeof out);
  if (a.v6) {
    auto* in6 = reinterpret_cast<sockaddr_in6*>(&out);
    in6->sin6_family = AF_INET6;
    in6->sin6_port = htons(static_cast<std::uint16_t>(port));
    std::memcpy(&in6->sin6_addr, a.bytes.data(), 16);
    return sizeof(sockaddr_in6);
  }
  auto* in4 = reinterpret_cast<sockaddr_in*>(&out);
  in4->sin_family = AF_INET;
  in4->sin_port = htons(static_cast<std::uint16_t>(port));
  std::memcpy(&in4->sin_addr, a.bytes.data(), 4);
  return sizeof(sockaddr_in);
}

bool is_wildcard(const net_address& a) {
  for (std::size_t i = 0; i < (a.v6 ? 16u : 4u); ++i)
    if (a.bytes[i] != 0) return false;
  return true;
}

net_io io_fault() {
  net_io r;
  if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
    r.again = true;
  else
    r.failed = true;
  return r;
}

}  // namespace

bool net_parse_address(const std::string& text, net_address& out) {
  out = net_address{};
  char spelled[INET6_ADDRSTRLEN] = {};
  if (::inet_pton(AF_INET, text.c_str(), out.bytes.data()) == 1) {
    ::inet_ntop(AF_INET, out.bytes.data(), spelled, sizeof spelled);
  } else if (::inet_pton(AF_INET6, text.c_str(), out.bytes.data()) == 1) {
    out.v6 = true;
    ::inet_ntop(AF_INET6, out.bytes.data(), spelled, sizeof spelled);
  } else {
    return false;
  }
  out.text = spelled;
  return true;
}

net_socket net_listen(const net_address& address, int& port,
                      std::string& error) {
  const int fd =
      ::socket(address.v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::strerror(errno);
    return net_no_socket;
  }
  int yes = 1, no = 0;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (address.v6 && is_wildcard(address))
    ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &no, sizeof no);
  sockaddr_storage where;
  const socklen_t length = socket_address_of(address, port, where);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&where), length) != 0 ||
      ::listen(fd, SOMAXCONN) != 0 || !make_non_blocking(fd)) {
    error = std::strerror(errno);
    ::close(fd);
    return net_no_socket;
  }
  socklen_t taken_length = sizeof where;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&where), &taken_length);
  port = ntohs(address.v6 ? reinterpret_cast<sockaddr_in6*>(&where)->sin6_port
                          : reinterpret_cast<sockaddr_in*>(&where)->sin_port);
  return static_cast<net_socket>(fd);
}

net_socket net_accept(net_socket listener) {
  const int fd = ::accept(fd_of(listener), nullptr, nullptr);
  if (fd < 0) return net_no_socket;
  if (!make_non_blocking(fd) || ::fcntl(fd, F_SETFD, FD_CLOEXEC) != 0) {
    ::close(fd);
    return net_no_socket;
  }
  return static_cast<net_socket>(fd);
}

net_socket net_connect(const net_address& address, int port) {
  const int fd =
      ::socket(address.v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return net_no_socket;
  sockaddr_storage where;
  const socklen_t length = socket_address_of(address, port, where);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&where), length) != 0 ||
      !make_non_blocking(fd)) {
    ::close(fd);
    return net_no_socket;
  }
  return static_cast<net_socket>(fd);
}

net_io net_read(net_socket s, char* buffer, std::size_t size) {
  const ssize_t n = ::recv(fd_of(s), buffer, size, 0);
  if (n < 0) return io_fault();
  net_io r;
  r.bytes = static_cast<std::size_t>(n);
  r.closed = n == 0 && size > 0;
  return r;
}

net_io net_write(net_socket s, const char* bytes, std::size_t size) {
  const ssize_t n = ::send(fd_of(s), bytes, size, MSG_NOSIGNAL);
  if (n < 0) return io_fault();
  net_io r;
  r.bytes = static_cast<std::size_t>(n);
  return r;
}

void net_shutdown_send(net_socket s) { ::shutdown(fd_of(s), SHUT_WR); }

void net_close(net_socket s) {
  if (s != net_no_socket) ::close(fd_of(s));
}

bool net_poll(std::vector<net_poll_item>& items, int timeout_ms) {
  std::vector<pollfd> fds(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    fds[i].fd = fd_of(items[i].socket);
    fds[i].events = static_cast<short>((items[i].want_read ? POLLIN : 0) |
                                       (items[i].want_write ? POLLOUT : 0));
    items[i].readable = items[i].writable = false;
  }
  const int n = ::poll(fds.data(), fds.size(), timeout_ms);
  if (n < 0) return errno == EINTR;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const short got = fds[i].revents;
    items[i].readable = (got & (POLLIN | POLLHUP | POLLERR)) != 0;
    items[i].writable = (got & (POLLOUT | POLLERR)) != 0;
  }
  return true;
}

std::string net_host_name() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}
