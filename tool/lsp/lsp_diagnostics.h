// The diagnostics the language server publishes: what check reports for the
// pair of sources a document belongs to, at the places the editor counts.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tool/lsp/lsp_workspace.h"

// The most diagnostics published for one source. An editor shows no more
// to any use, and each is a JSON object of its own: a text of hundreds of
// thousands of faulty fields took over a gigabyte to publish whole.
inline constexpr std::size_t max_published_diagnostics = 1000;

// The params of a textDocument/publishDiagnostics notification for each
// source of the pair `uri` belongs to: what `scenario_tool check` reports
// for the pair, with each note as related information at its own place,
// and an error at each character a single-byte source cannot hold. Empty
// for a document that is no source. Past max_published_diagnostics for a
// source, one note at its start counts the diagnostics left out.
std::vector<nlohmann::json> pair_diagnostics(const lsp_workspace& ws,
                                             const std::string& uri);
