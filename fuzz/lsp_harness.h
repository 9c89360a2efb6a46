// The language server's session on arbitrary bytes: the message framing,
// the JSON-RPC layer and every method behind it. The fuzz target calls this
// with every input the fuzzer makes up; the tool's tests replay the seeds.
//
// The input follows an initialize request, so the fuzzer starts where the
// methods are served. The server never reads the disk here: a document is
// only what the input opened. After any input, whatever the server sent must
// be whole frames, each one JSON-RPC message, and the session must end with
// the status of exit, of the end of input, or of a framing lost to a header
// line over its bound, said on the error stream. Returns an empty string when
// all of that holds, otherwise what did not.
#pragma once

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>

#include "tool/lsp/lsp_server.h"

inline std::string check_lsp_session(std::string_view input) {
  lsp_server server;
  server.workspace.read_disk = false;
  std::istringstream in(
      framed(R"({"jsonrpc":"2.0","id":0,"method":"initialize"})") +
      std::string(input));
  std::ostringstream out;
  std::ostringstream err;
  const int status = lsp_session(server, in, out, err);
  if (status == lsp_framing_lost && err.str().empty())
    return "a session that lost its framing without a word";
  if (status != 0 && status != 1 && status != lsp_framing_lost)
    return "an exit status of " + std::to_string(status);
  std::istringstream replies(out.str());
  std::string body;
  std::string fault;
  std::size_t count = 0;
  for (;;) {
    const frame_read r = read_frame(replies, body, fault);
    if (r == frame_read::end) break;
    if (r == frame_read::malformed) return "a reply framed badly: " + fault;
    const nlohmann::json reply = nlohmann::json::parse(body, nullptr, false);
    if (reply.is_discarded() || !reply.is_object())
      return "a reply that is no JSON object: " + body.substr(0, 200);
    const auto version = reply.find("jsonrpc");
    if (version == reply.end() || *version != "2.0")
      return "a reply without jsonrpc 2.0";
    if (!reply.contains("id") && !reply.contains("method"))
      return "a reply that is neither a response nor a notification";
    ++count;
  }
  if (!replies.eof() || count == 0)
    return "replies that end in something else than a frame";
  return "";
}
