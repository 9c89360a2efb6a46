// textDocument/completion: the rows whose place is the section the cursor
// stands in, each as a snippet with its fields named, while the cursor is
// in a row's first field.
#pragma once

#include <string>

#include "tool/lsp/lsp_answer.h"
#include "tool/lsp/lsp_workspace.h"

lsp_answer completion(const lsp_workspace& ws, const std::string& uri,
                      text_position at);
