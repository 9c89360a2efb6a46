#include "tool/lsp/lsp_hover.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "base/text.h"
#include "tool/authoring/field_account.h"

namespace {

const row_rule* row_of(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= row_count) return nullptr;
  return &grammar_rows()[index];
}

// The first column (from 1) of the blanks that stand right before the
// field at `column` of `line`: they are the field's own.
std::int32_t blanks_before(std::string_view line, std::int32_t column) {
  auto first = static_cast<std::size_t>(std::max(1, column) - 1);
  first = std::min(first, line.size());
  while (first > 0 && (line[first - 1] == ' ' || line[first - 1] == '\t'))
    --first;
  return static_cast<std::int32_t>(first) + 1;
}

}  // namespace

std::string hover_text(const traced_field& f) {
  const row_rule* row = row_of(f.row);
  const std::string account = as_utf8(field_account(f));
  if (row == nullptr) return account;
  std::string text = "**" + std::string(row->name) + "** row, " + row->section +
                     ": " + row->meaning + "\n\n";
  if (f.role == field_role::data && f.field >= 0 &&
      static_cast<std::size_t>(f.field) < row->fields.count) {
    const field_rule& rule = row->fields.items[f.field];
    text += "field " + std::to_string(f.field + 1) + " of " +
            std::to_string(row->fields.count) + ", " + field_markdown(rule) +
            "\n\n";
  } else if (f.role == field_role::keyword) {
    text += "fields:\n";
    for (const field_rule& rule : row->fields)
      text += "- " + field_markdown(rule) + "\n";
    text += "\n";
  }
  return text + "read here: " + account;
}

const traced_field* field_under(const field_trace& trace, error_source source,
                                std::string_view line_text, std::int32_t line,
                                std::int32_t column) {
  for (const traced_field& f : trace.fields) {
    if (f.source != source || f.line != line) continue;
    const std::int32_t last = std::max(f.end_column, f.column + 1);
    if (column >= blanks_before(line_text, f.column) && column < last)
      return &f;
  }
  return nullptr;
}

std::string field_markdown(const field_rule& f) {
  std::string text = "**" + std::string(f.name) + "**";
  if (!f.unit.empty()) text += " (" + std::string(f.unit) + ")";
  text += ": " + std::string(f.meaning) + "; " + std::string(f.range);
  return text;
}

lsp_answer hover(const lsp_workspace& ws, const std::string& uri,
                 text_position at) {
  const requested_document r = find_document(ws, uri);
  if (!r.fault.empty()) return failed_answer(r.fault);
  const lsp_document* d = &r.document();
  lsp_answer a;
  a.result = nullptr;
  const line_index lines = index_lines(d->text.bytes);
  if (!r.is_source || !r.pair.fault.empty() || at.line < 0 ||
      static_cast<std::size_t>(at.line) >= line_count(lines))
    return a;
  const std::string_view line =
      line_text(d->text.bytes, lines, static_cast<std::size_t>(at.line));
  const std::int32_t column = byte_column(d->text, at.line, at.character) + 1;

  field_trace trace;
  trace_pair(ws, r.pair, false, trace);
  const traced_field* f =
      field_under(trace, r.pair.which, line, at.line + 1, column);
  if (f == nullptr) return a;
  const std::int32_t last = std::max(f->end_column, f->column + 1);
  a.result = {
      {"contents", {{"kind", "markdown"}, {"value", hover_text(*f)}}},
      {"range",
       range_json(at.line, utf16_column(d->text, at.line, f->column - 1),
                  at.line, utf16_column(d->text, at.line, last - 1))}};
  return a;
}
