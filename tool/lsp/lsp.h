// scenario_tool lsp: a language server for scenario sources, over standard
// input and output.
//
//   scenario_tool lsp
//       speaks the Language Server Protocol (JSON-RPC in Content-Length
//       frames) with an editor: diagnostics of a source's pair as the
//       author types (what check reports), hover over a field, completion
//       of the row keywords of the cursor's section, and an outline of
//       sections, stations, signals, slowdowns and boards. lsp_server.h
//       has the protocol, lsp_workspace.h the documents and their pairs,
//       and a file per feature what it answers.
//
// Writes no file. Status 0 after shutdown and exit or when the input
// closes, 1 when exit comes without shutdown, 2 when a header line is too
// long to find the next message (said on standard error).
#pragma once

#include <istream>
#include <ostream>

int run_lsp(std::istream& in, std::ostream& out, std::ostream& err);
