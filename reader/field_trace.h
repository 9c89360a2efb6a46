// The field trace for authors (field_trace in model/compile_context.h): what
// the readers did with every field of a source, which scenario_tool explain
// and the language server show. The field reader appends each field as it
// reads it (source_cursor::trace); the observer of the reading
// (author_notes.h) then tells the trace what each field turned out to be.
// Nothing the compiler writes depends on it.
#pragma once

#include <string>

#include "model/compile_context.h"
#include "reader/grammar.h"

// A new source: its fields come next, and no row is being read.
void trace_source(field_trace& trace, error_source where);

// What the field read last was: before the general section, the section
// marker that opens it.
void trace_last_as(field_trace& trace, field_role role);

// The row loop's steps: the field read last is about to be examined as a row
// keyword (the unexamined fields before it were comments the loop passed
// over); it is read as `row`, whose data fields come next (a second row read
// from it is kept as its second); its rows are read, and a field read as no
// row is a comment, a section marker, an empty field or a field passed over.
void trace_token(field_trace& trace);
void trace_row(field_trace& trace, row_id row);
void trace_token_end(field_trace& trace);

// The last field of the text, never examined.
void trace_last_field(field_trace& trace);

// Where the row being read went (its cells, slot or plan metres), added to
// its keyword field. Callers build the text only when ctx.trace is set, so a
// plain compile pays nothing for it.
void trace_place(field_trace& trace, const std::string& place);
