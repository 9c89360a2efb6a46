// The format reference for authors: both sources, every section, row and
// field, the rules for comments, quotes, blanks and line ends, and the codes
// and warnings each row can give. It is made from the grammar table
// (grammar.h), the row warnings (warning_catalogue.h) and the error catalogue
// (model/error_codes.h), so it says what the readers do. docs/format.md is
// this text, written by the format_reference program; scenario_tool explain
// prints one row's part of it.
#pragma once

#include <string>

#include "reader/grammar.h"

// The whole reference, as Markdown.
std::string format_reference();

// One row's part: its keyword rule, section, an example, its fields and the
// codes and warnings it can give.
std::string row_reference(const row_rule& row);

// How a field of this type is read, in a few words ("number, 32-bit").
const char* field_type_words(field_type type);
