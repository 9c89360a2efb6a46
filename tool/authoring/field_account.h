// What the reader did with one field of a source, in words: what
// `scenario_tool explain FILE:LINE` prints for each field and what the
// language server shows on hover.
#pragma once

#include <string>

#include "model/compile_context.h"

// What the reader did with one traced field, in a sentence or two: a data
// field's row, name and value, and where the value is stored.
std::string field_account(const traced_field& f);
