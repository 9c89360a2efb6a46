#include "tool/view/http.h"

#include <algorithm>

namespace {

// The characters of a token (a method or a header name).
bool token_char(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
      (c >= '0' && c <= '9'))
    return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool is_token(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), token_char);
}

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::string lower_text(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), lower);
  return out;
}

// A control character (tab aside) or DEL: never part of a line's text.
bool control_char(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u < 0x20 && c != '\t') || u == 0x7F;
}

std::string_view trim_blanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

http_head_result refuse(int status, const char* why) {
  http_head_result r;
  r.refused = status;
  r.why = why;
  return r;
}

// The request line: METHOD SP TARGET SP VERSION.
int read_request_line(std::string_view line, http_request_head& head,
                      const char*& why) {
  const std::size_t first = line.find(' ');
  const std::size_t second =
      first == std::string_view::npos ? first : line.find(' ', first + 1);
  if (second == std::string_view::npos ||
      line.find(' ', second + 1) != std::string_view::npos) {
    why = "a request line is a method, a target and a version";
    return 400;
  }
  const std::string_view method = line.substr(0, first);
  const std::string_view target = line.substr(first + 1, second - first - 1);
  const std::string_view version = line.substr(second + 1);
  if (!is_token(method)) {
    why = "the method is not a token";
    return 400;
  }
  if (target.empty() || target.front() != '/' ||
      std::any_of(target.begin(), target.end(), control_char) ||
      target.find('\t') != std::string_view::npos) {
    why = "the target is not a path";
    return 400;
  }
  if (version != "HTTP/1.1" && version != "HTTP/1.0") {
    const bool http = version.size() == 8 && version.substr(0, 5) == "HTTP/" &&
                      version[5] >= '0' && version[5] <= '9' &&
                      version[6] == '.' && version[7] >= '0' &&
                      version[7] <= '9';
    why = http ? "only HTTP/1.1 and HTTP/1.0" : "no HTTP version";
    return http ? 505 : 400;
  }
  head.method = std::string(method);
  head.target = std::string(target);
  head.version = std::string(version);
  return 0;
}

// Whether a comma-separated header value lists `token`, in any case.
bool lists_token(std::string_view value, std::string_view token) {
  while (!value.empty()) {
    const std::size_t comma = std::min(value.find(','), value.size());
    if (lower_text(trim_blanks(value.substr(0, comma))) == token) return true;
    value.remove_prefix(std::min(comma + 1, value.size()));
  }
  return false;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string percent_decoded(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '+') {
      out += ' ';
    } else if (s[i] == '%' && i + 2 < s.size() && hex_value(s[i + 1]) >= 0 &&
               hex_value(s[i + 2]) >= 0) {
      out += static_cast<char>(hex_value(s[i + 1]) * 16 + hex_value(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

}  // namespace

void scan_http_head(std::string_view bytes, http_head_scan& scan) {
  while (scan.head_bytes == 0 && scan.refused == 0 && scan.at < bytes.size()) {
    const char c = bytes[scan.at++];
    const std::size_t line_bytes = scan.at - scan.line_start;
    if (line_bytes > http_line_max_bytes) {
      scan.refused = scan.lines == 0 ? 414 : 431;
    } else if (scan.at > http_head_max_bytes) {
      scan.refused = 431;
    } else if (c == '\n') {
      const bool blank = line_bytes == 1 ||
                         (line_bytes == 2 && bytes[scan.line_start] == '\r');
      scan.line_start = scan.at;
      if (blank) {
        scan.head_bytes = scan.at;
      } else if (++scan.lines > http_headers_max + 1) {
        scan.refused = 431;
      }
    }
  }
}

http_head_result parse_http_head(std::string_view bytes) {
  http_head_result r;
  http_request_head& head = r.head;
  std::vector<std::string_view> lines;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos)
      return refuse(400, "a head ends with a blank line");
    std::string_view line = bytes.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    bytes.remove_prefix(end + 1);
    if (line.empty()) break;
    lines.push_back(line);
  }
  if (!bytes.empty()) return refuse(400, "bytes after the head");
  if (lines.empty()) return refuse(400, "no request line");
  const char* why = "";
  if (const int status = read_request_line(lines.front(), head, why))
    return refuse(status, why);

  int hosts = 0;
  std::string length;  // the Content-Length, without leading zeros
  bool has_length = false, close = head.version != "HTTP/1.1";
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (line.front() == ' ' || line.front() == '\t')
      return refuse(400, "a folded header line");
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !is_token(line.substr(0, colon)))
      return refuse(400, "a header line is a name, a colon and a value");
    const std::string_view value = trim_blanks(line.substr(colon + 1));
    if (std::any_of(value.begin(), value.end(), control_char))
      return refuse(400, "a control character in a header");
    std::string name = lower_text(line.substr(0, colon));
    if (name == "host") {
      if (++hosts > 1) return refuse(400, "two Host headers");
      head.host = std::string(value);
    } else if (name == "content-length") {
      if (value.empty() || !std::all_of(value.begin(), value.end(), [](char c) {
            return c >= '0' && c <= '9';
          }))
        return refuse(400, "a length that is not a number");
      const std::string_view digits =
          value.substr(std::min(value.find_first_not_of('0'), value.size()));
      if (has_length && digits != length)
        return refuse(400, "two lengths that differ");
      has_length = true;
      length = std::string(digits);
      head.has_body = head.has_body || !length.empty();
    } else if (name == "transfer-encoding") {
      head.has_body = true;
    } else if (name == "connection") {
      close = close || lists_token(value, "close");
    }
    head.headers.emplace_back(std::move(name), std::string(value));
  }
  if (hosts == 0 && head.version == "HTTP/1.1")
    return refuse(400, "an HTTP/1.1 request without Host");
  head.keep_alive = !close;
  return r;
}

std::string_view http_target_path(std::string_view target) {
  return target.substr(0, std::min(target.find('?'), target.size()));
}

std::map<std::string, std::string> http_target_query(std::string_view target) {
  std::map<std::string, std::string> query;
  const std::size_t mark = target.find('?');
  if (mark == std::string_view::npos) return query;
  std::string_view rest = target.substr(mark + 1);
  while (!rest.empty()) {
    const std::size_t amp = std::min(rest.find('&'), rest.size());
    const std::string_view pair = rest.substr(0, amp);
    rest.remove_prefix(std::min(amp + 1, rest.size()));
    if (pair.empty()) continue;
    const std::size_t eq = std::min(pair.find('='), pair.size());
    query.emplace(percent_decoded(pair.substr(0, eq)),
                  percent_decoded(pair.substr(std::min(eq + 1, pair.size()))));
  }
  return query;
}

const char* http_reason(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 414:
      return "URI Too Long";
    case 421:
      return "Misdirected Request";
    case 431:
      return "Request Header Fields Too Large";
    case 503:
      return "Service Unavailable";
    case 505:
      return "HTTP Version Not Supported";
    default:
      return "Unknown";
  }
}

std::string http_answer_head(int status, std::string_view content_type,
                             std::size_t length, bool keep_alive) {
  std::string head =
      "HTTP/1.1 " + std::to_string(status) + " " + http_reason(status) + "\r\n";
  if (!content_type.empty())
    head += "Content-Type: " + std::string(content_type) + "\r\n";
  if (length != std::string::npos)
    head += "Content-Length: " + std::to_string(length) + "\r\n";
  head += "Cache-Control: no-store\r\n";
  if (status == 405) head += "Allow: GET, HEAD\r\n";
  head += keep_alive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
  head += "\r\n";
  return head;
}
