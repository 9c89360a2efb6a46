#include "tool/view/http.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string headers(std::size_t count, std::size_t value_bytes = 1) {
  std::string s;
  for (std::size_t i = 0; i < count; ++i)
    s += "X-" + std::to_string(i) + ": " + std::string(value_bytes, 'v') +
         "\r\n";
  return s;
}

const std::string start = "GET / HTTP/1.1\r\nHost: 127.0.0.1:8765\r\n";

TEST(http, a_head_ends_at_its_blank_line_or_at_a_bound) {
  const struct {
    const char* note;
    std::string bytes;
    std::size_t head_bytes;  // 0: not whole
    int refused;
  } cases[] = {
      {"a whole head, then the next request's first bytes", start + "\r\nGET",
       start.size() + 2, 0},
      {"lines ended by LF alone", "GET / HTTP/1.1\nHost: h\n\n", 24, 0},
      {"no blank line yet", start + headers(3), 0, 0},
      {"a request line of 8 KB", "GET /" + std::string(8200, 'a'), 0, 414},
      {"a header line of 8 KB", start + "X: " + std::string(8200, 'a'), 0, 431},
      {"as many headers as allowed", start + headers(99) + "\r\n",
       start.size() + headers(99).size() + 2, 0},
      {"one header more", start + headers(100) + "\r\n", 0, 431},
      {"100,000 headers", start + headers(100000), 0, 431},
      {"a head of more than 32 KB in lines of 1 KB",
       start + headers(40, 1000) + "\r\n", 0, 431},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    http_head_scan whole;
    scan_http_head(c.bytes, whole);
    EXPECT_EQ(whole.head_bytes, c.head_bytes);
    EXPECT_EQ(whole.refused, c.refused);
    // Byte by byte, as a slow client sends it: the same answer, and never
    // more than one byte past a bound.
    http_head_scan trickled;
    std::size_t fed = 0;
    while (fed < c.bytes.size() && trickled.head_bytes == 0 &&
           trickled.refused == 0)
      scan_http_head(std::string_view(c.bytes).substr(0, ++fed), trickled);
    EXPECT_EQ(trickled.head_bytes, c.head_bytes);
    EXPECT_EQ(trickled.refused, c.refused);
    EXPECT_LE(fed, http_head_max_bytes + 1);
  }
}

TEST(http, a_head_is_read_or_refused) {
  const struct {
    const char* note;
    std::string head;
    int refused;
  } cases[] = {
      {"a browser's GET", start + "Accept: */*\r\n\r\n", 0},
      {"HTTP/1.0 without Host", "GET / HTTP/1.0\r\n\r\n", 0},
      {"HTTP/1.1 without Host", "GET / HTTP/1.1\r\n\r\n", 400},
      {"two Host headers", start + "Host: other\r\n\r\n", 400},
      {"a blank line first", "\r\n", 400},
      {"two blanks in the request line", "GET  / HTTP/1.1\r\n\r\n", 400},
      {"a method that is no token", "G(T / HTTP/1.1\r\n\r\n", 400},
      {"a target that is no path", "GET http://x/ HTTP/1.1\r\nHost: x\r\n\r\n",
       400},
      {"a control character in the target", "GET /\x01 HTTP/1.1\r\n\r\n", 400},
      {"no version", "GET / HTTX/1.1\r\n\r\n", 400},
      {"another version", "GET / HTTP/2.0\r\nHost: h\r\n\r\n", 505},
      {"a folded header", start + "X: a\r\n b\r\n\r\n", 400},
      {"a blank before the colon", start + "X : a\r\n\r\n", 400},
      {"no colon", start + "X\r\n\r\n", 400},
      {"a bare CR in a value", start + "X: a\rb\r\n\r\n", 400},
      {"a length that is no number", start + "Content-Length: 1x\r\n\r\n", 400},
      {"two lengths that differ",
       start + "Content-Length: 1\r\nContent-Length: 2\r\n\r\n", 400},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    EXPECT_EQ(parse_http_head(c.head).refused, c.refused);
  }
}

TEST(http, a_read_head_says_what_the_server_needs) {
  const http_head_result r = parse_http_head(
      "GET /plot.svg?from=1 HTTP/1.1\r\nhOsT:  127.0.0.1:1 "
      "\r\nConnection: keep-alive, Close\r\n"
      "Content-Length: 000\r\nContent-Length: 0\r\n\r\n");
  ASSERT_EQ(r.refused, 0) << r.why;
  EXPECT_EQ(r.head.method, "GET");
  EXPECT_EQ(r.head.target, "/plot.svg?from=1");
  EXPECT_EQ(r.head.host, "127.0.0.1:1");
  EXPECT_FALSE(r.head.keep_alive);
  EXPECT_FALSE(r.head.has_body);
  EXPECT_EQ(r.head.headers.front().first, "host");

  const http_head_result kept = parse_http_head(
      "POST / HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: chunked\r\n\r\n");
  EXPECT_TRUE(kept.head.keep_alive);
  EXPECT_TRUE(kept.head.has_body);
  EXPECT_FALSE(parse_http_head("GET / HTTP/1.0\r\n\r\n").head.keep_alive);
}

TEST(http, the_query_is_decoded_the_path_is_not) {
  const std::string target = "/a%2E%2e/plot.svg?from=1%2E5&to=+2&x&&from=9&w=%";
  EXPECT_EQ(http_target_path(target), "/a%2E%2e/plot.svg");
  const auto query = http_target_query(target);
  EXPECT_EQ(query, (std::map<std::string, std::string>{
                       {"from", "1.5"}, {"to", " 2"}, {"x", ""}, {"w", "%"}}));
  EXPECT_TRUE(http_target_query("/").empty());
}

TEST(http, an_answer_head_names_its_length_and_its_connection) {
  EXPECT_EQ(http_answer_head(405, "text/plain", 3, false),
            "HTTP/1.1 405 Method Not Allowed\r\n"
            "Content-Type: text/plain\r\n"
            "Content-Length: 3\r\n"
            "Cache-Control: no-store\r\n"
            "Allow: GET, HEAD\r\n"
            "Connection: close\r\n\r\n");
  EXPECT_EQ(http_answer_head(200, "text/event-stream", std::string::npos, true),
            "HTTP/1.1 200 OK\r\n"
            "Content-Type: text/event-stream\r\n"
            "Cache-Control: no-store\r\n"
            "Connection: keep-alive\r\n\r\n");
}

}  // namespace
