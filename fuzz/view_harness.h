// The view server's requests as a client sends them: the bytes are scanned
// for the end of the head as the server scans them (whole, and cut in two
// where the first byte says, as two reads would bring them), the head is
// read, and a read head is answered by the handler, against the embedded
// scenario compiled once in a folder of its own. The fuzz target calls this
// with every input; the tool's tests replay the seeds. The folder goes when
// the process ends.
//
// What must hold: a cut head scans as a whole one; no head beyond its
// bounds is taken, and more bytes than a head's bound never leave the scan
// waiting; a refusal has a status of its kind; a read head keeps within
// the header count. After a read head: the status is one the handler
// gives; a page, picture, model or event stream (200) only for its own
// path, with a content type; a path that climbs, a Host the server does not
// serve or another method is refused; a picture is a whole SVG picture.
// Returns an empty string when all of that holds, otherwise what did not.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "model/compile_context.h"
#include "platform/platform.h"
#include "reader/source_files.h"
#include "run/run_sequence.h"
#include "scenario/embedded_scenario.h"
#include "scenario/write_document.h"
#include "tool/view/http.h"
#include "tool/view/requests.h"
#include "tool/view/view_state.h"

// The served state, made on the first call: the embedded sources in a new
// private folder under TMPDIR (or /tmp), compiled.
inline view_state& fuzz_view_state() {
  // Removed when the process ends.
  struct folder {
    std::string path;
    ~folder() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
  };
  static folder made;
  static view_state* state = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir =
        std::string(tmp != nullptr ? tmp : "/tmp") + "/fuzz-view-XXXXXX";
    if (mkdtemp(dir.data()) == nullptr) std::abort();
    made.path = dir;
    compile_context ctx;
    ctx.scenario_name = embedded_scenario_name;
    ctx.train_name = embedded_train_name;
    const auto write = [&](const std::string& name,
                           const std::vector<std::string>& lines) {
      const std::vector<std::uint8_t> bytes = document_bytes(lines);
      std::ofstream(dir + "/" + name, std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
    };
    write(line_source_name(ctx), line_source_document());
    write(train_source_name(ctx), train_source_document());
    auto* s = new view_state;
    s->dir = dir;
    s->scenario = ctx.scenario_name;
    s->train = ctx.train_name;
    s->hosts = {8765, {"127.0.0.1", "localhost"}, false};
    refresh_view(*s);
    return s;
  }();
  return *state;
}

// Whether the harness's server serves `host`, said apart from the server's
// own check.
inline bool fuzz_view_serves(std::string_view host) {
  std::string lower(host);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  });
  return lower == "127.0.0.1:8765" || lower == "localhost:8765";
}

inline std::string check_view_request(std::string_view input) {
  http_head_scan whole;
  scan_http_head(input, whole);
  http_head_scan cut;
  const std::size_t at =
      input.empty() ? 0
                    : static_cast<unsigned char>(input[0]) % (input.size() + 1);
  scan_http_head(input.substr(0, at), cut);
  scan_http_head(input, cut);
  if (cut.head_bytes != whole.head_bytes || cut.refused != whole.refused)
    return "a head cut in two scans otherwise";
  if (whole.head_bytes > http_head_max_bytes)
    return "a head beyond its bound was taken";
  if (whole.refused != 0)
    return whole.refused == 414 || whole.refused == 431
               ? ""
               : "the scan refused with " + std::to_string(whole.refused);
  if (whole.head_bytes == 0)
    return input.size() > http_head_max_bytes
               ? "more than a head's bound left waiting"
               : "";
  const http_head_result parsed =
      parse_http_head(input.substr(0, whole.head_bytes));
  if (parsed.refused != 0)
    return parsed.refused == 400 || parsed.refused == 505
               ? ""
               : "a head refused with " + std::to_string(parsed.refused);
  if (parsed.head.headers.size() > http_headers_max)
    return "more headers than allowed";
  view_request r;
  r.method = parsed.head.method;
  r.path = std::string(http_target_path(parsed.head.target));
  r.query = http_target_query(parsed.head.target);
  r.host = parsed.head.host;

  view_state& state = fuzz_view_state();
  const view_response answer = handle_view_request(state, r);
  const bool served = fuzz_view_serves(r.host);
  const bool read = r.method == "GET" || r.method == "HEAD";
  const bool climbs = r.path.find("..") != std::string::npos ||
                      r.path.find("%2e") != std::string::npos ||
                      r.path.find("%2E") != std::string::npos;
  switch (answer.status) {
    case 200:
      if (!served || !read || climbs)
        return "a request that must be refused was answered";
      if (r.path != "/" && r.path != "/events" && r.path != "/model.json" &&
          r.path != "/plot.svg")
        return "an answer for the unknown path " + r.path;
      if (answer.content_type.empty()) return "an answer without a type";
      if (r.path == "/plot.svg" &&
          answer.body.find("</svg>") == std::string::npos)
        return "a picture that is not whole";
      return "";
    case 421:
      return served ? "a served Host refused" : "";
    case 405:
    case 400:
    case 404:
      return served ? "" : "a Host the server does not serve was answered";
    default:
      return "the status " + std::to_string(answer.status);
  }
}
