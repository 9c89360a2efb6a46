// What the language server tells an editor about a scenario source: the
// diagnostics of its pair of sources, the field under the cursor, the row
// keywords of the cursor's section, and an outline of sections and rows.
//
// A document belongs to a pair: a line source NAME_linea.txt and a train
// source NAME_TRAIN-.txt in the same folder. The texts the editor holds
// stand in for the files; a source it does not hold is read from disk. Each
// feature compiles the pair in memory, as check does.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tool/lsp/lsp_server.h"

// A request's result, or its error (a JSON-RPC error code and message).
struct lsp_answer {
  nlohmann::json result;
  int error_code = 0;  // 0: the result stands
  std::string error;
};

// The most diagnostics published for one source. An editor shows no more
// to any use, and each is a JSON object of its own: a text of hundreds of
// thousands of faulty fields took over a gigabyte to publish whole.
inline constexpr std::size_t max_published_diagnostics = 1000;

// The params of a textDocument/publishDiagnostics notification for each
// source of the pair `uri` belongs to: what `scenario_tool check` reports
// for the pair, with each note as related information at its own place,
// and an error at each character the sources cannot hold. Empty for a
// document that is no source. Past max_published_diagnostics for a source,
// one note at its start counts the diagnostics left out.
std::vector<nlohmann::json> pair_diagnostics(const lsp_server& server,
                                             const std::string& uri);

// textDocument/hover at a position: the field there, with its row, its
// name, unit, range and meaning and the value the reader stores from it.
lsp_answer hover(const lsp_server& server, const std::string& uri,
                 text_position at);

// textDocument/completion: the rows whose place is the section the cursor
// stands in, each as a snippet with its fields named, while the cursor is
// in a row's first field.
lsp_answer completion(const lsp_server& server, const std::string& uri,
                      text_position at);

// textDocument/documentSymbol: the sections, with the stations (by name),
// signals, slowdowns and boards in each.
lsp_answer document_symbols(const lsp_server& server, const std::string& uri);
