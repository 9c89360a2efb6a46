// The language server's protocol layer: JSON-RPC 2.0 messages in
// Content-Length frames (the Language Server Protocol 3.17), and the
// dispatch of each method to the workspace (lsp_workspace.h), which holds
// the documents, and to the features: diagnostics, hover, completion and
// document symbols, a file each.
//
// The server answers every request, with an error when it cannot (a
// malformed message, an unknown method, a document it cannot read), and
// goes on; it ends on `exit` or when its input closes. It never writes a
// file: every compile runs on a memory disk, with the editor's texts
// standing in for the saved sources.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tool/lsp/lsp_workspace.h"

struct lsp_server {
  lsp_workspace workspace;
  bool initialized = false;
  bool shut_down = false;  // `shutdown` came: only `exit` is answered now
  bool exited = false;
};

// Handles one message body and appends the messages to send (JSON texts,
// not framed) to `out`: a response to a request, diagnostics after a
// change.
void handle_message(lsp_server& server, std::string_view body,
                    std::vector<std::string>& out);

// The largest message the server takes: a source of the longest line is a
// small part of it. A longer one is passed over unread and answered with an
// error.
inline constexpr std::size_t max_message_bytes = std::size_t{64} << 20;

// The longest header line: the headers of the protocol are a few dozen
// bytes. Past it, where the next message begins can no longer be known.
inline constexpr std::size_t max_header_line_bytes = 4096;

// One frame of the input: its body, the end of the input, a header that
// frames no message (no Content-Length, or a length over
// max_message_bytes, whose body is passed over), or a header line over
// max_header_line_bytes, after which the framing is lost; `fault` says
// which.
enum class frame_read : std::uint8_t { message, end, malformed, lost };
frame_read read_frame(std::istream& in, std::string& body, std::string& fault);

// A message as it goes out: its Content-Length header and its body.
std::string framed(std::string_view body);

// The status of a session whose input lost its framing.
inline constexpr int lsp_framing_lost = 2;

// The server on a stream of frames until `exit` or the end of the input.
// Returns the exit status: 1 when `exit` came before `shutdown`,
// lsp_framing_lost (with a message on `err`) when a header line was too
// long to go on, 0 otherwise.
int lsp_session(lsp_server& server, std::istream& in, std::ostream& out,
                std::ostream& err);
