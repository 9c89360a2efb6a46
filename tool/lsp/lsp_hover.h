// textDocument/hover: the field under the cursor, with its row, its name,
// unit, range and meaning and the value the reader stores from it, as
// `scenario_tool explain FILE:LINE` gives it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "reader/grammar.h"
#include "tool/lsp/lsp_answer.h"
#include "tool/lsp/lsp_workspace.h"

// The field under `at`: the field the reader took there, from its first
// character to one past its last (the blanks before a field are its own).
lsp_answer hover(const lsp_workspace& ws, const std::string& uri,
                 text_position at);

// The field of `source` the reader took at `column` (from 1, in bytes) of
// line `line` (from 1), whose text is `line_text`: the one whose characters
// or the blanks right before them hold the column; null where none does.
const traced_field* field_under(const field_trace& trace, error_source source,
                                std::string_view line_text, std::int32_t line,
                                std::int32_t column);

// What hover says of a traced field, in markdown: its row, the field's
// entry in the grammar, and "read here: " with what explain says of it.
std::string hover_text(const traced_field& f);

// A field of the grammar in one line of markdown: its name, unit, meaning
// and range (completion shows the same).
std::string field_markdown(const field_rule& f);
