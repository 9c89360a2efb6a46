#include "tool/lsp/lsp_symbols.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "reader/grammar.h"

namespace {

using json = nlohmann::json;

bool in_outline(int row) {
  switch (static_cast<row_id>(row)) {
    case row_id::station:
    case row_id::signal:
    case row_id::slowdown:
    case row_id::speed_board:
    case row_id::text_board:
      return true;
    default:
      return false;
  }
}

int symbol_kind(row_id row) {
  switch (row) {
    case row_id::station:
      return 23;  // struct
    case row_id::signal:
      return 24;  // event
    case row_id::slowdown:
      return 8;  // field
    default:
      return 14;  // constant: a board
  }
}

// A symbol being built: its name, the range it covers so far and the range
// of its first field.
struct symbol {
  json item;
  int row = -1;       // a row's row_id
  bool open = false;  // a row whose fields may follow
  std::int32_t end_line = 0;
  std::int32_t end_column = 0;
  std::string text;      // a row's text field: a station's name
  std::string position;  // a row's first field in metres
};

// The outline of one source as its traced fields come.
struct outline {
  const editor_text& text;
  std::vector<symbol> sections;
  std::vector<symbol> rows;  // of the section last in `sections`
};

// The range of a field, which becomes the end of the symbol it extends.
json field_range(const outline& o, const traced_field& f, symbol& s) {
  const std::int32_t line = f.line - 1;
  s.end_line = line;
  s.end_column =
      utf16_column(o.text, line, std::max(f.end_column, f.column + 1) - 1);
  return range_json(line, utf16_column(o.text, line, f.column - 1), line,
                    s.end_column);
}

// Names the row last opened, now that its fields are read, and extends its
// section to it.
void close_row(outline& o) {
  if (o.rows.empty() || o.sections.empty() || !o.rows.back().open) return;
  symbol& s = o.rows.back();
  s.open = false;
  const row_rule& row = grammar_rows()[s.row];
  std::string name = row.name;
  if (!s.text.empty())
    name = row.id == row_id::station ? s.text : name + " '" + s.text + "'";
  else if (!s.position.empty())
    name += " at " + s.position;
  s.item["name"] = as_utf8(name);
  s.item["detail"] =
      std::string(row.name) + (s.position.empty() ? "" : " at " + s.position);
  s.item["range"]["end"] = position_json(s.end_line, s.end_column);
  symbol& section = o.sections.back();
  section.end_line = s.end_line;
  section.end_column = s.end_column;
}

void close_section(outline& o) {
  close_row(o);
  if (o.sections.empty()) return;
  symbol& s = o.sections.back();
  s.item["range"]["end"] = position_json(s.end_line, s.end_column);
  json children = json::array();
  for (symbol& r : o.rows) children.push_back(std::move(r.item));
  s.item["children"] = std::move(children);
  o.rows.clear();
}

void add_field(outline& o, const traced_field& f) {
  if (f.role == field_role::section) {
    close_section(o);
    symbol s;
    const json range = field_range(o, f, s);
    s.item = {{"name", as_utf8(f.text)},
              {"kind", 3},
              {"range", range},
              {"selectionRange", range}};
    o.sections.push_back(std::move(s));
  } else if (f.role == field_role::keyword && !o.sections.empty()) {
    close_row(o);
    if (!in_outline(f.row)) return;
    symbol s;
    const json range = field_range(o, f, s);
    s.item = {{"kind", symbol_kind(static_cast<row_id>(f.row))},
              {"range", range},
              {"selectionRange", range}};
    s.row = f.row;
    s.open = true;
    o.rows.push_back(std::move(s));
  } else if (f.role == field_role::data && !o.rows.empty() &&
             o.rows.back().open && o.rows.back().row == f.row && f.field >= 0) {
    symbol& s = o.rows.back();
    (void)field_range(o, f, s);
    const field_rule& rule = grammar_rows()[f.row].fields.items[f.field];
    if (rule.type == field_type::text && s.text.empty()) s.text = f.text;
    if (rule.unit == "m" && s.position.empty())
      s.position = std::to_string(f.value) + " m";
  }
}

}  // namespace

lsp_answer document_symbols(const lsp_workspace& ws, const std::string& uri) {
  const requested_document r = find_document(ws, uri);
  if (!r.fault.empty()) return failed_answer(r.fault);
  const lsp_document* d = &r.document();
  lsp_answer a;
  a.result = json::array();
  if (!r.is_source || !r.pair.fault.empty()) return a;
  field_trace trace;
  trace_pair(ws, r.pair, true, trace);
  outline o{d->text, {}, {}};
  for (const traced_field& f : trace.fields)
    if (f.source == r.pair.which) add_field(o, f);
  close_section(o);
  for (symbol& s : o.sections) a.result.push_back(std::move(s.item));
  return a;
}
