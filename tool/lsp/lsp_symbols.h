// textDocument/documentSymbol: an outline of a source, the sections with
// the stations (by name), signals, slowdowns and boards in each, as the
// reader read them.
#pragma once

#include <string>

#include "tool/lsp/lsp_answer.h"
#include "tool/lsp/lsp_workspace.h"

lsp_answer document_symbols(const lsp_workspace& ws, const std::string& uri);
