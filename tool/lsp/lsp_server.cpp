#include "tool/lsp/lsp_server.h"

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>
#include <utility>

#include "tool/json/json_input.h"
#include "tool/lsp/lsp_completion.h"
#include "tool/lsp/lsp_diagnostics.h"
#include "tool/lsp/lsp_hover.h"
#include "tool/lsp/lsp_symbols.h"

namespace {

using json = nlohmann::json;

// The JSON-RPC and protocol error codes the server answers with.
constexpr int parse_error = -32700;
constexpr int invalid_request = -32600;
constexpr int method_not_found = -32601;
constexpr int invalid_params = -32602;
constexpr int server_not_initialized = -32002;

std::string text_of(const json& j) {
  return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string error_response(const json& id, int code, const std::string& why) {
  return text_of({{"jsonrpc", "2.0"},
                  {"id", id},
                  {"error", {{"code", code}, {"message", as_utf8(why)}}}});
}

std::string result_response(const json& id, json result) {
  return text_of(
      {{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

std::string notification(const char* method, json params) {
  return text_of(
      {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}

// A message for the editor's log, where a notification the server cannot
// follow is reported (a notification has no response to carry an error).
std::string log_message(const std::string& text) {
  return notification("window/logMessage",
                      {{"type", 1}, {"message", as_utf8(text)}});
}

const json* member(const json& j, const char* key) {
  if (!j.is_object()) return nullptr;
  const auto it = j.find(key);
  return it == j.end() ? nullptr : &*it;
}

bool string_member(const json& j, const char* key, std::string& out) {
  const json* m = member(j, key);
  if (m == nullptr || !m->is_string()) return false;
  out = m->get<std::string>();
  return true;
}

bool int_member(const json& j, const char* key, std::int64_t& out) {
  const json* m = member(j, key);
  if (m == nullptr || !m->is_number_integer()) return false;
  out = m->get<std::int64_t>();
  return true;
}

// params.textDocument.uri.
bool document_uri(const json& params, std::string& uri) {
  const json* document = member(params, "textDocument");
  return document != nullptr && string_member(*document, "uri", uri);
}

bool position_of(const json& j, text_position& p) {
  std::int64_t line = 0;
  std::int64_t character = 0;
  if (!int_member(j, "line", line) || !int_member(j, "character", character) ||
      line < 0 || character < 0 || line > INT32_MAX || character > INT32_MAX)
    return false;
  p.line = static_cast<std::int32_t>(line);
  p.character = static_cast<std::int32_t>(character);
  return true;
}

json capabilities() {
  return {{"capabilities",
           {{"positionEncoding", "utf-16"},
            {"textDocumentSync",
             {{"openClose", true},
              {"change", 1},
              {"save", {{"includeText", false}}}}},
            {"hoverProvider", true},
            {"completionProvider", {{"resolveProvider", false}}},
            {"documentSymbolProvider", true}}},
          {"serverInfo",
           {{"name", "scenario_tool"}, {"version", SCENARIO_TOOL_VERSION}}}};
}

void publish(const lsp_server& server, const std::string& uri,
             std::vector<std::string>& out) {
  for (json& params : pair_diagnostics(server.workspace, uri))
    out.push_back(
        notification("textDocument/publishDiagnostics", std::move(params)));
}

void did_open(lsp_server& server, const json& params,
              std::vector<std::string>& out) {
  const json* item = member(params, "textDocument");
  std::string uri;
  std::string text;
  if (item == nullptr || !string_member(*item, "uri", uri) ||
      !string_member(*item, "text", text)) {
    out.push_back(
        log_message("textDocument/didOpen without textDocument.uri and .text"));
    return;
  }
  std::int64_t version = 0;
  (void)int_member(*item, "version", version);
  open_document(server.workspace, uri, version, std::move(text));
  publish(server, uri, out);
}

// Applies the changes in order: a change without a range replaces the
// whole text.
void did_change(lsp_server& server, const json& params,
                std::vector<std::string>& out) {
  std::string uri;
  const json* changes = member(params, "contentChanges");
  if (!document_uri(params, uri) || changes == nullptr ||
      !changes->is_array()) {
    out.push_back(log_message(
        "textDocument/didChange without textDocument.uri and contentChanges"));
    return;
  }
  const auto open = server.workspace.documents.find(uri);
  if (open == server.workspace.documents.end()) {
    out.push_back(log_message("textDocument/didChange of " + uri +
                              ", which is not open"));
    return;
  }
  lsp_document& d = open->second;
  std::string text = d.utf8;
  for (const json& change : *changes) {
    std::string by;
    if (!string_member(change, "text", by)) {
      out.push_back(log_message("a change without text to " + uri));
      return;
    }
    const json* range = member(change, "range");
    if (range == nullptr) {
      text = std::move(by);
      continue;
    }
    text_position from;
    text_position to;
    const json* start = member(*range, "start");
    const json* end = member(*range, "end");
    if (start == nullptr || end == nullptr || !position_of(*start, from) ||
        !position_of(*end, to) || !apply_edit(text, from, to, by)) {
      out.push_back(log_message("a change to " + uri + " with a bad range"));
      return;
    }
  }
  std::int64_t version = 0;
  if (int_member(*member(params, "textDocument"), "version", version))
    d.version = version;
  set_document_text(d, std::move(text));
  publish(server, uri, out);
}

// The file now holds what the editor saved, in the encoding it chose.
void did_save(lsp_server& server, const json& params,
              std::vector<std::string>& out) {
  std::string uri;
  if (!document_uri(params, uri)) return;
  const auto open = server.workspace.documents.find(uri);
  if (open == server.workspace.documents.end()) return;
  document_saved(server.workspace, open->second);
  publish(server, uri, out);
}

// The pair is checked again against the file, which the editor no longer
// holds; a document that is no source loses its diagnostics.
void did_close(lsp_server& server, const json& params,
               std::vector<std::string>& out) {
  std::string uri;
  if (!document_uri(params, uri)) return;
  if (server.workspace.documents.count(uri) == 0) return;
  const std::string partner = close_document(server.workspace, uri);
  if (!partner.empty()) publish(server, partner, out);
  out.push_back(notification("textDocument/publishDiagnostics",
                             {{"uri", uri}, {"diagnostics", json::array()}}));
}

// The requests on one document: the answer of the feature.
lsp_answer document_request(const lsp_server& server, const std::string& method,
                            const json& params) {
  lsp_answer a;
  std::string uri;
  if (!document_uri(params, uri)) {
    a.error_code = invalid_params;
    a.error = method + " without textDocument.uri";
    return a;
  }
  if (method == "textDocument/documentSymbol")
    return document_symbols(server.workspace, uri);
  text_position at;
  const json* position = member(params, "position");
  if (position == nullptr || !position_of(*position, at)) {
    a.error_code = invalid_params;
    a.error = method + " without a position";
    return a;
  }
  return method == "textDocument/hover" ? hover(server.workspace, uri, at)
                                        : completion(server.workspace, uri, at);
}

bool is_document_request(const std::string& method) {
  return method == "textDocument/hover" ||
         method == "textDocument/completion" ||
         method == "textDocument/documentSymbol";
}

void handle_request(lsp_server& server, const json& id,
                    const std::string& method, const json& params,
                    std::vector<std::string>& out) {
  if (server.shut_down) {
    out.push_back(
        error_response(id, invalid_request, "the server is shutting down"));
    return;
  }
  if (method == "initialize") {
    server.initialized = true;
    out.push_back(result_response(id, capabilities()));
    return;
  }
  if (!server.initialized) {
    out.push_back(
        error_response(id, server_not_initialized, "initialize comes first"));
    return;
  }
  if (method == "shutdown") {
    server.shut_down = true;
    out.push_back(result_response(id, nullptr));
    return;
  }
  if (!is_document_request(method)) {
    out.push_back(error_response(id, method_not_found, "no method " + method));
    return;
  }
  lsp_answer a = document_request(server, method, params);
  out.push_back(a.error_code != 0 ? error_response(id, a.error_code, a.error)
                                  : result_response(id, std::move(a.result)));
}

void handle_notification(lsp_server& server, const std::string& method,
                         const json& params, std::vector<std::string>& out) {
  if (method == "exit") {
    server.exited = true;
    return;
  }
  if (!server.initialized || server.shut_down) return;
  if (method == "textDocument/didOpen") {
    did_open(server, params, out);
  } else if (method == "textDocument/didChange") {
    did_change(server, params, out);
  } else if (method == "textDocument/didSave") {
    did_save(server, params, out);
  } else if (method == "textDocument/didClose") {
    did_close(server, params, out);
  }
  // Any other notification (initialized, $/cancelRequest, a setting
  // changed) asks nothing of this server.
}

}  // namespace

void handle_message(lsp_server& server, std::string_view body,
                    std::vector<std::string>& out) {
  json message;
  switch (parse_json_input(body, message)) {
    case json_input::ok:
      break;
    case json_input::not_json:
      out.push_back(
          error_response(nullptr, parse_error, "the message is not JSON"));
      return;
    case json_input::too_deep:
      out.push_back(
          error_response(nullptr, invalid_request,
                         "the message nests arrays and objects deeper than " +
                             std::to_string(max_json_depth) + " levels"));
      return;
  }
  const json* id = member(message, "id");
  if (id != nullptr && !id->is_string() && !id->is_number_integer()) {
    out.push_back(error_response(nullptr, invalid_request,
                                 "a request id is a number or a string"));
    return;
  }
  const json* method = member(message, "method");
  if (method == nullptr && id != nullptr &&
      (member(message, "result") != nullptr ||
       member(message, "error") != nullptr))
    return;  // the answer to a request of ours; the server sends none
  if (method == nullptr || !method->is_string()) {
    out.push_back(error_response(id != nullptr ? *id : json(nullptr),
                                 invalid_request,
                                 "a message without a method name"));
    return;
  }
  static const json no_params = json::object();
  const json* given = member(message, "params");
  const json& params = given != nullptr ? *given : no_params;
  const std::string name = method->get<std::string>();
  if (id != nullptr)
    handle_request(server, *id, name, params, out);
  else
    handle_notification(server, name, params, out);
}

namespace {

enum class header_line : std::uint8_t { line, end, too_long };

// One header line without its line end, read byte by byte so that nothing
// past max_header_line_bytes is ever held: a line that does not end by then
// is too_long, and the rest of it is left unread.
header_line read_header_line(std::istream& in, std::string& line) {
  line.clear();
  std::streambuf& bytes = *in.rdbuf();
  for (;;) {
    const int c = bytes.sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      return header_line::end;
    }
    if (c == '\n') break;
    if (line.size() == max_header_line_bytes) return header_line::too_long;
    line += static_cast<char>(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return header_line::line;
}

// Reads and drops `length` bytes, a piece at a time; false when the input
// ends first.
bool skip_bytes(std::istream& in, std::size_t length) {
  char piece[65536];
  while (length > 0) {
    const std::size_t want = std::min(sizeof piece, length);
    in.read(piece, static_cast<std::streamsize>(want));
    if (static_cast<std::size_t>(in.gcount()) != want) return false;
    length -= want;
  }
  return true;
}

}  // namespace

frame_read read_frame(std::istream& in, std::string& body, std::string& fault) {
  std::string line;
  bool any = false;
  bool has_length = false;
  std::size_t length = 0;
  fault.clear();
  for (;;) {
    const header_line h = read_header_line(in, line);
    if (h == header_line::end) return frame_read::end;
    if (h == header_line::too_long) {
      fault = "a header line longer than " +
              std::to_string(max_header_line_bytes) +
              " bytes: the messages can no longer be told apart";
      return frame_read::lost;
    }
    if (line.empty()) {
      if (!any) continue;  // blank lines between messages
      break;
    }
    any = true;
    const std::size_t colon = line.find(':');
    std::string name = line.substr(0, colon);
    std::transform(name.begin(), name.end(), name.begin(), [](char c) {
      return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    if (colon == std::string::npos || name != "content-length") continue;
    std::size_t at = colon + 1;
    while (at < line.size() && line[at] == ' ') ++at;
    const char* end = line.data() + line.size();
    const auto parsed = std::from_chars(line.data() + at, end, length);
    if (parsed.ec != std::errc() || parsed.ptr != end || at == line.size())
      fault = "a Content-Length that is not a number";
    else
      has_length = true;
  }
  if (!fault.empty()) return frame_read::malformed;
  if (!has_length) {
    fault = "a message header without Content-Length";
    return frame_read::malformed;
  }
  if (length > max_message_bytes) {
    // The length still frames the message: it is passed over unread, and
    // the next one is served.
    if (!skip_bytes(in, length)) return frame_read::end;
    fault = "a message of " + std::to_string(length) +
            " bytes, more than the " + std::to_string(max_message_bytes) +
            " the server takes";
    return frame_read::malformed;
  }
  // Read in pieces: a length is only a claim until the bytes arrive.
  body.clear();
  char piece[65536];
  while (body.size() < length) {
    const std::size_t want = std::min(sizeof piece, length - body.size());
    in.read(piece, static_cast<std::streamsize>(want));
    body.append(piece, static_cast<std::size_t>(in.gcount()));
    if (static_cast<std::size_t>(in.gcount()) != want) return frame_read::end;
  }
  return frame_read::message;
}

std::string framed(std::string_view body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
         std::string(body);
}

int lsp_session(lsp_server& server, std::istream& in, std::ostream& out,
                std::ostream& err) {
  std::string body;
  std::string fault;
  std::vector<std::string> replies;
  while (!server.exited) {
    const frame_read r = read_frame(in, body, fault);
    if (r == frame_read::end) break;
    if (r == frame_read::lost) {
      err << "scenario_tool: error: lsp: " << fault << '\n';
      return lsp_framing_lost;
    }
    replies.clear();
    if (r == frame_read::malformed)
      replies.push_back(error_response(nullptr, parse_error, fault));
    else
      handle_message(server, body, replies);
    for (const std::string& reply : replies) out << framed(reply);
    out.flush();
  }
  return server.exited && !server.shut_down ? 1 : 0;
}
