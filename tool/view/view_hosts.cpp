#include "tool/view/view_hosts.h"

#include <algorithm>
#include <cstdint>

#include "platform/net.h"

namespace {

std::string lower_text(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  });
  return out;
}

bool all_digits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(),
                                   [](char c) { return c >= '0' && c <= '9'; });
}

bool is_ipv4_literal(std::string_view s) {
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = std::min(s.find('.'), s.size());
    const std::string_view number = s.substr(0, dot);
    // As a browser writes it: no leading zero, which some read as octal.
    if (!all_digits(number) || number.size() > 3 ||
        (number.size() > 1 && number.front() == '0') ||
        std::stoi(std::string(number)) > 255)
      return false;
    if (part < 3 && dot == s.size()) return false;
    s.remove_prefix(std::min(dot + 1, s.size()));
  }
  return s.empty();
}

bool is_ipv6_literal(std::string_view s) {
  if (s.size() < 4 || s.size() > 47 || s.front() != '[' || s.back() != ']')
    return false;
  const std::string_view inside = s.substr(1, s.size() - 2);
  return inside.find(':') != std::string_view::npos &&
         std::all_of(inside.begin(), inside.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ||
                  (c >= 'A' && c <= 'F') || c == ':' || c == '.';
         });
}

}  // namespace

bool is_ip_literal_host(std::string_view host) {
  return is_ipv4_literal(host) || is_ipv6_literal(host);
}

bool view_host_served(const view_hosts& hosts, std::string_view host) {
  const std::string h = lower_text(host);
  std::size_t name_end = 0;
  if (!h.empty() && h.front() == '[') {
    name_end = h.find(']');
    if (name_end == std::string::npos) return false;
    ++name_end;
  } else {
    name_end = std::min(h.find(':'), h.size());
  }
  const std::string name = h.substr(0, name_end);
  const std::string_view rest = std::string_view(h).substr(name_end);
  int port = 80;
  if (!rest.empty()) {
    const std::string_view digits = rest.substr(1);
    // As a browser writes it: no leading zero.
    if (rest.front() != ':' || !all_digits(digits) || digits.size() > 5 ||
        digits.front() == '0')
      return false;
    port = std::stoi(std::string(digits));
  }
  if (name.empty() || port != hosts.port) return false;
  if (std::find(hosts.names.begin(), hosts.names.end(), name) !=
      hosts.names.end())
    return true;
  return hosts.any_ip_literal && is_ip_literal_host(name);
}

view_bind view_bind_of(const std::string& host,
                       const std::string& machine_name) {
  std::string h = lower_text(host);
  if (h.size() > 2 && h.front() == '[' && h.back() == ']')
    h = h.substr(1, h.size() - 2);
  view_bind bind;
  if (h == "localhost") {
    bind.address = "127.0.0.1";
    bind.names = {"127.0.0.1", "localhost"};
    return bind;
  }
  net_address a;
  if (!net_parse_address(h, a)) return bind;
  bind.address = a.text;
  const std::size_t width = a.v6 ? 16 : 4;
  const bool wildcard = std::all_of(a.bytes.begin(), a.bytes.begin() + width,
                                    [](std::uint8_t b) { return b == 0; });
  bool loopback = !a.v6 && a.bytes[0] == 127;
  if (a.v6) {
    loopback =
        a.bytes[15] == 1 && std::all_of(a.bytes.begin(), a.bytes.begin() + 15,
                                        [](std::uint8_t b) { return b == 0; });
  }
  const std::string literal = a.v6 ? "[" + a.text + "]" : a.text;
  if (loopback) {
    bind.names = {literal};
    if (literal == "127.0.0.1" || literal == "[::1]")
      bind.names.push_back("localhost");
    return bind;
  }
  bind.open_to_network = true;
  if (wildcard) {
    bind.any_ip_literal = true;
    bind.names = {"localhost"};
  } else {
    bind.names = {literal};
  }
  if (!machine_name.empty()) bind.names.push_back(lower_text(machine_name));
  return bind;
}
