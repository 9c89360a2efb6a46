// HTTP/1.1 as the view's server speaks it, over bytes: finding where a
// request's head ends while it arrives, reading it, and writing the head of
// an answer. No sockets here, so the tests and the fuzz target call it as
// the server does.
//
// The server reads heads only: it serves GET and HEAD, and a request that
// comes with a body is answered, then its connection closed, the body
// unread. Every bound a client could push on is a constant below, checked
// in scan_http_head as the bytes arrive, before anything is kept of them.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The request line, or one header line, with its line end.
constexpr std::size_t http_line_max_bytes = 8 * 1024;
// The whole head: request line, headers and the blank line.
constexpr std::size_t http_head_max_bytes = 32 * 1024;
// Header lines in one head; a browser sends about twenty.
constexpr std::size_t http_headers_max = 100;

// Where a head being read stands; starts zeroed for each request and is
// passed again with all the bytes so far after every read, so each byte is
// looked at once however the head is cut.
struct http_head_scan {
  std::size_t at = 0;          // bytes looked at
  std::size_t line_start = 0;  // where the line being read begins
  std::size_t lines = 0;       // whole lines so far, the request line first
  std::size_t head_bytes = 0;  // when the head is whole: its length
  int refused = 0;  // when a bound is passed: the status to answer (414, 431)
};

// Looks at the bytes after scan.at. Sets head_bytes once the blank line
// that ends the head is in, or `refused` as soon as the request line, a
// header line, the number of headers or the head is beyond its bound;
// either stops the scan. A line ends with LF, with or without a CR.
void scan_http_head(std::string_view bytes, http_head_scan& scan);

struct http_request_head {
  std::string method;
  std::string target;   // as sent
  std::string version;  // "HTTP/1.1" or "HTTP/1.0"
  // In their order, names in lower case, values without the blanks around.
  std::vector<std::pair<std::string, std::string>> headers;
  std::string host;         // the Host header; empty without one
  bool keep_alive = false;  // HTTP/1.1 without "Connection: close"
  bool has_body = false;    // a length above 0 or a transfer coding
};

struct http_head_result {
  int refused = 0;  // 0: read; else the status to answer (400, 505)
  std::string why;
  http_request_head head;
};

// Reads a whole head, as scan_http_head delimits it (at most
// http_head_max_bytes, ending with its blank line). Refuses with 400 what
// is not a request line and header lines as HTTP/1.1 writes them: a method
// that is not a token, a target that is not a path, a header without a
// name or with blanks before its colon, a folded line, a second Host, an
// HTTP/1.1 request without Host, a length that is not a number or two
// lengths that differ; with 505 another version of HTTP.
http_head_result parse_http_head(std::string_view head);

// The part of a target before '?', as sent.
std::string_view http_target_path(std::string_view target);

// The query of a target (after '?'), percent-decoded, '+' as a blank; a
// name given twice keeps its first value.
std::map<std::string, std::string> http_target_query(std::string_view target);

// The reason phrase of a status the server answers with.
const char* http_reason(int status);

// The head of an answer: status line, the given type and length (none
// when `length` is npos: the body then ends with the connection), no-store,
// and whether the connection stays open; 405 names the methods allowed.
std::string http_answer_head(int status, std::string_view content_type,
                             std::size_t length, bool keep_alive);
