#include "tool/lsp/lsp_diagnostics.h"

#include <utility>

#include "tool/lsp/lsp_answer.h"

namespace {

using json = nlohmann::json;

// A diagnostic's place: the field from its column to its end column, the
// whole line when it has no column, the start of the file when it has no
// line.
json range_of(const diagnostic& d, const shown_source& s) {
  if (d.line <= 0) return range_json(0, 0, 0, 0);
  const std::int32_t line = d.line - 1;
  if (d.column <= 0)
    return range_json(
        line, 0, line,
        utf16_column(*s.text, line,
                     static_cast<std::int32_t>(d.source_line().size())));
  return range_json(line, utf16_column(*s.text, line, d.column - 1), line,
                    utf16_column(*s.text, line, d.end_column - 1));
}

int severity_of(const diagnostic& d) {
  if (d.werror) return 1;
  switch (d.level) {
    case severity::error:
      return 1;
    case severity::warning:
      return 2;
    case severity::note:
      return 3;
  }
  return 1;
}

json wide_character_diagnostic(const editor_text& text,
                               const wide_character& w) {
  const std::int32_t from = utf16_column(text, w.line, w.column);
  return {{"range", range_json(w.line, from, w.line, from + w.units)},
          {"severity", 1},
          {"source", "scenario_tool"},
          {"message", "'" + w.utf8 +
                          "' has no single-byte form: the sources are read "
                          "one byte per character, from U+0000 to U+00FF, "
                          "and it is read as '?'"}};
}

// The diagnostics published for one source: at most
// max_published_diagnostics, and the number of those left out.
struct published {
  json list = json::array();
  std::size_t left_out = 0;

  // Counts a diagnostic left out when the list is full.
  bool full() {
    if (list.size() < max_published_diagnostics) return false;
    ++left_out;
    return true;
  }
  // The list, closed by a note at the start of the source that counts the
  // diagnostics left out.
  json closed() {
    if (left_out > 0)
      list.push_back(
          {{"range", range_json(0, 0, 0, 0)},
           {"severity", 3},
           {"source", "scenario_tool"},
           {"message", std::to_string(left_out) +
                           " more diagnostics of this source are not shown "
                           "(the server sends at most " +
                           std::to_string(max_published_diagnostics) +
                           "); scenario_tool check shows them all"}});
    return std::move(list);
  }
};

// One diagnostic of check as the protocol's, with its notes as related
// information at their own places. A fault of no source (a stop, a marker
// of no row) is shown at the start of the line source.
json published_diagnostic(const diagnostic& d, const pair_check& c) {
  const bool of_train = d.file == c.train.path;
  const shown_source& s = of_train ? c.train : c.line;
  const bool placed = d.file == c.line.path || of_train;
  std::string message = d.message;
  if (!placed && !d.file.empty()) message = d.file + ": " + message;
  json item = {{"range", placed ? range_of(d, s) : range_json(0, 0, 0, 0)},
               {"severity", severity_of(d)},
               {"source", "scenario_tool"},
               {"message", as_utf8(message)}};
  if (d.code != 0) item["code"] = d.code;
  json related = json::array();
  for (const diagnostic& note : d.notes) {
    const bool note_of_train = note.file == c.train.path;
    const bool note_placed = note_of_train || note.file == c.line.path;
    const shown_source& at = note_of_train ? c.train : c.line;
    related.push_back(
        {{"location",
          {{"uri", note_placed ? at.uri : s.uri},
           {"range", note_placed ? range_of(note, at) : item["range"]}}},
         {"message", as_utf8(note.message)}});
  }
  if (!related.empty()) item["relatedInformation"] = std::move(related);
  return item;
}

void add_wide_characters(const editor_text& text, published& to) {
  for (const wide_character& w : text.wide)
    if (!to.full()) to.list.push_back(wide_character_diagnostic(text, w));
}

}  // namespace

std::vector<json> pair_diagnostics(const lsp_workspace& ws,
                                   const std::string& uri) {
  const auto open = ws.documents.find(uri);
  source_pair pair;
  if (open == ws.documents.end() || !find_pair(ws, open->second, pair))
    return {};
  if (!pair.fault.empty()) {
    json d = {{"range", range_json(0, 0, 0, 0)},
              {"severity", 1},
              {"source", "scenario_tool"},
              {"message", as_utf8(pair.fault)}};
    return {{{"uri", uri}, {"diagnostics", json::array({d})}}};
  }
  const pair_check c = check_pair(ws, pair);
  published line_list;
  published train_list;
  for (const diagnostic& d : c.list) {
    published& to = d.file == c.train.path ? train_list : line_list;
    if (!to.full()) to.list.push_back(published_diagnostic(d, c));
  }
  add_wide_characters(*c.line.text, line_list);
  add_wide_characters(*c.train.text, train_list);
  return {{{"uri", c.line.uri}, {"diagnostics", line_list.closed()}},
          {{"uri", c.train.uri}, {"diagnostics", train_list.closed()}}};
}
