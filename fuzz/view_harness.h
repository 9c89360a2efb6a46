// The view server's request handling on arbitrary requests. The HTTP library
// parses the request line and headers and has no entry point of its own for
// that, so the target starts at the handler it calls: any method, path, Host
// and query, against the embedded scenario compiled once in a folder of its
// own. The fuzz target calls this with every input; the tool's tests replay
// the seeds. The folder goes when the process ends.
//
// After any request: the status is one the handler gives; a page, picture,
// model or event stream (200) only for its own path, with a content type; a
// path that climbs, a Host the server does not serve or another method is
// refused; a picture is a whole SVG picture. Returns an empty string when
// all of that holds, otherwise what did not.
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
#include "reader/source_reading.h"
#include "run/run_sequence.h"
#include "scenario/embedded_scenario.h"
#include "scenario/write_document.h"
#include "tool/view.h"

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
    s->hosts = {"127.0.0.1:8765"};
    refresh_view(*s);
    return s;
  }();
  return *state;
}

// The input: the method, the path and the Host on a line each, then one
// query parameter a line as KEY=VALUE.
inline std::string check_view_request(std::string_view input) {
  view_request r;
  std::string* fields[] = {&r.method, &r.path, &r.host};
  std::size_t at = 0;
  for (std::string* field : fields) {
    const std::size_t end = std::min(input.find('\n', at), input.size());
    if (at <= input.size()) *field = std::string(input.substr(at, end - at));
    at = end + 1;
  }
  while (at < input.size()) {
    const std::size_t end = std::min(input.find('\n', at), input.size());
    const std::string_view line = input.substr(at, end - at);
    const std::size_t eq = line.find('=');
    if (eq != std::string_view::npos)
      r.query[std::string(line.substr(0, eq))] =
          std::string(line.substr(eq + 1));
    at = end + 1;
  }

  view_state& state = fuzz_view_state();
  const view_response answer = handle_view_request(state, r);
  const bool served = r.host == state.hosts.front();
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
