#include "reader/field_trace.h"

#include <cstddef>
#include <vector>

#include "reader/field_reader.h"

namespace {

// The fields read as tokens since the last one examined, before the field
// read last, are the comments the row loop passed over.
void trace_comments_before_last(field_trace& trace) {
  std::vector<traced_field>& fields = trace.fields;
  for (std::size_t i = fields.size() - 1;
       i-- > 0 && fields[i].role == field_role::unexamined;)
    fields[i].role = field_role::comment;
}

}  // namespace

void trace_source(field_trace& trace, error_source where) {
  trace.source = where;
  trace.current_row = -1;
}

void trace_last_as(field_trace& trace, field_role role) {
  if (!trace.fields.empty()) trace.fields.back().role = role;
}

void trace_token(field_trace& trace) {
  if (trace.fields.empty()) return;
  trace_comments_before_last(trace);
  trace.fields.back().role = field_role::passed_over;
  trace.row_entry = trace.fields.size() - 1;
  trace.current_row = -1;
}

void trace_row(field_trace& trace, row_id row) {
  if (trace.row_entry >= trace.fields.size()) return;
  traced_field& keyword = trace.fields[trace.row_entry];
  if (keyword.role == field_role::keyword) {
    keyword.second_row = static_cast<int>(row);
  } else {
    keyword.role = field_role::keyword;
    keyword.row = static_cast<int>(row);
  }
  trace.current_row = static_cast<int>(row);
  trace.next_field = 0;
}

void trace_token_end(field_trace& trace) {
  if (trace.row_entry >= trace.fields.size()) return;
  trace.current_row = -1;
  traced_field& token = trace.fields[trace.row_entry];
  if (token.role != field_role::passed_over) return;
  if (is_comment(token.text))
    token.role = field_role::comment;
  else if (is_section_marker(token.text))
    token.role = field_role::section;
  else if (is_empty_field(token.text))
    token.role = field_role::empty;
}

void trace_last_field(field_trace& trace) {
  if (trace.fields.empty()) return;
  trace_comments_before_last(trace);
  trace.fields.back().role = field_role::never_read;
}

void trace_place(field_trace& trace, const std::string& place) {
  if (trace.current_row < 0) return;
  std::string& text = trace.fields[trace.row_entry].place;
  text += text.empty() ? place : "; " + place;
}
