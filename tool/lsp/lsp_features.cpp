#include "tool/lsp/lsp_features.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <string_view>
#include <utility>

#include "model/compile_context.h"
#include "platform/platform.h"
#include "reader/format_reference.h"
#include "reader/grammar.h"
#include "run/run_sequence.h"
#include "tool/authoring/field_account.h"
#include "tool/authoring/session.h"
#include "tool/authoring/source_model.h"
#include "tool/authoring/sources.h"

namespace {

using json = nlohmann::json;

constexpr int request_failed = -32803;

// ---------------------------------------------------------------------------
// Documents and their pairs

const lsp_document* open_document(const lsp_server& server,
                                  const std::string& dir,
                                  const std::string& name) {
  for (const auto& [uri, d] : server.documents)
    if (d.dir == dir && d.name == name) return &d;
  return nullptr;
}

// The pair of sources a document belongs to, and which of them it is.
struct source_pair {
  std::string dir;
  std::string scenario;
  std::string train;
  error_source which = error_source::none;
  std::string fault;  // a train source with no line source beside it
};

// The names of the files in a document's folder as the server sees them:
// those the editor holds, and those on disk when it may read the disk.
std::vector<std::string> folder_names(const lsp_server& server,
                                      const std::string& dir) {
  std::vector<std::string> names =
      server.read_disk ? folder_file_names(dir) : std::vector<std::string>{};
  for (const auto& [uri, d] : server.documents)
    if (d.dir == dir) names.push_back(d.name);
  return names;
}

// False for a document that is no source. Its pair is found by the rule
// check follows (tool/authoring/sources.h).
bool find_pair(const lsp_server& server, const lsp_document& d,
               source_pair& pair) {
  pair.dir = d.dir;
  if (d.dir.empty()) return false;
  std::string scenario;
  const bool line = scenario_of_line_source(d.name, scenario);
  if (!line && readings_of_train_source(d.name).empty()) return false;
  pair.which = line ? error_source::line_source : error_source::train_source;
  const std::vector<std::string> names = folder_names(server, d.dir);
  source_choice choice = choose_source_pair(names, d.dir, d.name, std::nullopt);
  // A train source the editor holds open beside the line source names the
  // train, as --train does on the command line.
  std::set<std::string> open_trains;
  for (const auto& [uri, other] : server.documents)
    for (const scenario_names& reading : readings_of_train_source(other.name))
      if (other.dir == d.dir && reading.scenario == scenario)
        open_trains.insert(reading.train);
  if (line && !choice.ok() && open_trains.size() == 1)
    choice = choose_source_pair(names, d.dir, d.name, *open_trains.begin());
  pair.scenario = choice.names.scenario;
  pair.train = choice.names.train;
  pair.fault = choice.fault;
  return true;
}

std::string line_name(const source_pair& p) {
  return line_source_file(p.scenario);
}
std::string train_name(const source_pair& p) {
  return train_source_file(p.scenario, p.train);
}

// The author's compile of the pair, with the texts the editor holds
// standing in for the files. Without the disk, a source the editor does not
// hold is missing.
author_settings pair_settings(const lsp_server& server, const source_pair& p);

source_texts unsaved_texts(const lsp_server& server, const source_pair& p) {
  source_texts texts;
  for (const std::string& name : {line_name(p), train_name(p)})
    if (const lsp_document* d = open_document(server, p.dir, name))
      texts[name] = d->text.bytes;
  return texts;
}

author_settings pair_settings(const lsp_server& server, const source_pair& p) {
  author_settings s;
  s.dir = p.dir;
  s.names = {p.scenario, p.train};
  s.read_disk = server.read_disk;
  s.unsaved = unsaved_texts(server, p);
  return s;
}

// Whether DIR/NAME is a source of the pair of a document the editor holds:
// the only files a request may have read that the editor has not opened.
bool pair_source_of_open_document(const lsp_server& server,
                                  const std::string& dir,
                                  const std::string& name) {
  for (const auto& [uri, d] : server.documents) {
    source_pair pair;
    if (d.dir != dir || !find_pair(server, d, pair) || !pair.fault.empty())
      continue;
    if (name == line_name(pair) || name == train_name(pair)) return true;
  }
  return false;
}

// The document at `uri`: the one the editor holds, or else the file of a
// source of an open document's pair. A request may name any path; no other
// file is read.
bool find_document(const lsp_server& server, const std::string& uri,
                   lsp_document& loaded, const lsp_document*& d,
                   lsp_answer& fault) {
  const auto open = server.documents.find(uri);
  if (open != server.documents.end()) {
    d = &open->second;
    return true;
  }
  const auto refuse = [&](std::string why) {
    fault.error_code = request_failed;
    fault.error = std::move(why);
    return false;
  };
  std::string path;
  if (!path_of_uri(uri, path))
    return refuse(uri + " is not open, and it names no file");
  const std::filesystem::path p(path);
  loaded.uri = uri;
  loaded.dir = p.parent_path().string();
  loaded.name = p.filename().string();
  if (!server.read_disk ||
      !pair_source_of_open_document(server, loaded.dir, loaded.name))
    return refuse(uri +
                  " is not open, and it is no source of the pair of an open "
                  "document: the server reads no other file");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    return refuse(uri + " is not open, and there is no file " + path);
  platform_files files;
  files.directory = loaded.dir;
  const step_result read = read_file(files, loaded.name, loaded.text.bytes);
  if (!read.ok())
    return refuse(read.detail.empty() ? path + " cannot be read" : read.detail);
  if (loaded.text.bytes.find('\0') != std::string::npos)
    return refuse(path + " is not text: it holds NUL bytes");
  d = &loaded;
  return true;
}

// Where each line of a single-byte text begins.
std::vector<std::size_t> line_starts(std::string_view text) {
  std::vector<std::size_t> starts{0};
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (text[i] == '\r' || text[i] == '\n') starts.push_back(i + 1);
  }
  return starts;
}
std::string line_at(std::string_view text,
                    const std::vector<std::size_t>& starts, std::int32_t line) {
  if (line < 0 || static_cast<std::size_t>(line) >= starts.size()) return "";
  const std::size_t begin = starts[static_cast<std::size_t>(line)];
  const std::size_t end = text.find_first_of("\r\n", begin);
  return std::string(text.substr(begin, end == std::string_view::npos
                                            ? std::string_view::npos
                                            : end - begin));
}

json position_json(std::int32_t line, std::int32_t character) {
  return {{"line", line}, {"character", character}};
}
json range_json(std::int32_t line, std::int32_t from, std::int32_t end_line,
                std::int32_t to) {
  return {{"start", position_json(line, from)},
          {"end", position_json(end_line, to)}};
}

// ---------------------------------------------------------------------------
// Diagnostics

// One source of the pair as the editor sees it: its URI and the columns of
// its text.
struct shown_source {
  std::string uri;
  std::string path;
  single_byte_text none;
  const single_byte_text* text = &none;
};

shown_source shown_for(const lsp_server& server, const source_pair& p,
                       const std::string& name) {
  shown_source s;
  s.path = join_path(p.dir, name);
  if (const lsp_document* d = open_document(server, p.dir, name)) {
    s.uri = d->uri;
    s.text = &d->text;
    return s;
  }
  // A file the editor has not opened is named as the editor names the one
  // open beside it (clients write a drive letter's colon either way), so
  // that its diagnostics stay its own when it is opened later.
  for (const auto& [uri, d] : server.documents) {
    if (d.dir != p.dir) continue;
    const std::size_t slash = uri.rfind('/');
    const std::string escaped = uri_of_path(name);
    s.uri = uri.substr(0, slash + 1) + escaped.substr(escaped.rfind('/') + 1);
    return s;
  }
  s.uri = uri_of_path(s.path);
  return s;
}

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

json wide_character_diagnostic(const single_byte_text& text,
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

}  // namespace

std::vector<json> pair_diagnostics(const lsp_server& server,
                                   const std::string& uri) {
  const auto open = server.documents.find(uri);
  source_pair pair;
  if (open == server.documents.end() || !find_pair(server, open->second, pair))
    return {};
  if (!pair.fault.empty()) {
    json d = {{"range", range_json(0, 0, 0, 0)},
              {"severity", 1},
              {"source", "scenario_tool"},
              {"message", as_utf8(pair.fault)}};
    return {{{"uri", uri}, {"diagnostics", json::array({d})}}};
  }
  shown_source line = shown_for(server, pair, line_name(pair));
  shown_source train = shown_for(server, pair, train_name(pair));
  const std::vector<diagnostic> list =
      compile_sources(pair_settings(server, pair), {})->diagnostics;

  published line_list;
  published train_list;
  for (const diagnostic& d : list) {
    const bool of_train = d.file == train.path;
    published& to = of_train ? train_list : line_list;
    if (to.full()) continue;
    const shown_source& s = of_train ? train : line;
    // A fault of no source (a stop, a marker of no row) is shown at the
    // start of the line source.
    const bool placed = d.file == line.path || of_train;
    std::string message = d.message;
    if (!placed && !d.file.empty()) message = d.file + ": " + message;
    json item = {{"range", placed ? range_of(d, s) : range_json(0, 0, 0, 0)},
                 {"severity", severity_of(d)},
                 {"source", "scenario_tool"},
                 {"message", as_utf8(message)}};
    if (d.code != 0) item["code"] = d.code;
    json related = json::array();
    for (const diagnostic& note : d.notes) {
      const bool note_of_train = note.file == train.path;
      const bool note_placed = note_of_train || note.file == line.path;
      const shown_source& at = note_of_train ? train : line;
      related.push_back(
          {{"location",
            {{"uri", note_placed ? at.uri : s.uri},
             {"range", note_placed ? range_of(note, at) : item["range"]}}},
           {"message", as_utf8(note.message)}});
    }
    if (!related.empty()) item["relatedInformation"] = std::move(related);
    to.list.push_back(std::move(item));
  }
  for (const wide_character& w : line.text->wide)
    if (!line_list.full())
      line_list.list.push_back(wide_character_diagnostic(*line.text, w));
  for (const wide_character& w : train.text->wide)
    if (!train_list.full())
      train_list.list.push_back(wide_character_diagnostic(*train.text, w));
  return {{{"uri", line.uri}, {"diagnostics", line_list.closed()}},
          {{"uri", train.uri}, {"diagnostics", train_list.closed()}}};
}

namespace {

// ---------------------------------------------------------------------------
// The reader's view: every field of the pair as the reader took it

// Compiles the pair with a trace, as explain does. With `keep_going`, the
// reading goes on past each faulty row, so an outline survives an error.
void trace_pair(const lsp_server& server, const source_pair& pair,
                bool keep_going, field_trace& trace) {
  (void)trace_sources(pair_settings(server, pair), trace, keep_going);
}

const row_rule* row_of(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= row_count) return nullptr;
  return &grammar_rows()[index];
}

std::string field_line(const field_rule& f) {
  std::string text = "**" + std::string(f.name) + "**";
  if (!f.unit.empty()) text += " (" + std::string(f.unit) + ")";
  text += ": " + std::string(f.meaning) + "; " + std::string(f.range);
  return text;
}

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
            std::to_string(row->fields.count) + ", " + field_line(rule) +
            "\n\n";
  } else if (f.role == field_role::keyword) {
    text += "fields:\n";
    for (const field_rule& rule : row->fields)
      text += "- " + field_line(rule) + "\n";
    text += "\n";
  }
  return text + "read here: " + account;
}

}  // namespace

lsp_answer hover(const lsp_server& server, const std::string& uri,
                 text_position at) {
  lsp_answer a;
  lsp_document loaded;
  const lsp_document* d = nullptr;
  if (!find_document(server, uri, loaded, d, a)) return a;
  a.result = nullptr;
  source_pair pair;
  if (!find_pair(server, *d, pair) || !pair.fault.empty()) return a;
  std::size_t begin = 0;
  std::size_t end = 0;
  if (!line_span(d->text.bytes, at.line, begin, end)) return a;
  const std::string line = d->text.bytes.substr(begin, end - begin);
  const std::int32_t column = byte_column(d->text, at.line, at.character) + 1;

  field_trace trace;
  trace_pair(server, pair, false, trace);
  for (const traced_field& f : trace.fields) {
    if (f.source != pair.which || f.line != at.line + 1) continue;
    const std::int32_t last = field_end_column(line, f.column);
    // The blanks before a field belong to it.
    const std::size_t comma =
        f.column >= 2 ? line.rfind(',', static_cast<std::size_t>(f.column - 2))
                      : std::string::npos;
    const std::int32_t first =
        comma == std::string::npos ? 1 : static_cast<std::int32_t>(comma) + 2;
    if (column < std::min(first, f.column) || column >= last) continue;
    a.result = {
        {"contents", {{"kind", "markdown"}, {"value", hover_text(f)}}},
        {"range",
         range_json(at.line, utf16_column(d->text, at.line, f.column - 1),
                    at.line, utf16_column(d->text, at.line, last - 1))}};
    break;
  }
  return a;
}

namespace {

// ---------------------------------------------------------------------------
// Completion

// The section marker that stands last before `upto` in a single-byte text:
// a field holding both '[' and ']', lower case, from '[' to ']'.
std::string section_before(std::string_view text, std::size_t upto) {
  std::string section;
  std::size_t field = 0;
  for (std::size_t i = 0; i <= upto && i <= text.size(); ++i) {
    if (i < upto && i < text.size() && text[i] != ',' && text[i] != '\r' &&
        text[i] != '\n')
      continue;
    const std::string_view f = text.substr(field, i - field);
    const std::size_t open = f.find('[');
    const std::size_t close =
        f.find(']', open == std::string_view::npos ? 0 : open);
    if (open != std::string_view::npos && close != std::string_view::npos) {
      section = std::string(f.substr(open, close - open + 1));
      for (char& c : section)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    field = i + 1;
  }
  return section;
}

std::string snippet_escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '$' || c == '}' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

// The row as a snippet: its keyword and each field as a placeholder named
// after it. A keyword that carries a value (a curve's class) is one too.
std::string row_snippet(const row_rule& row) {
  int n = 1;
  std::string text;
  if (std::string_view(row.example) != row.written)
    text =
        "${" + std::to_string(n++) + ":" + snippet_escaped(row.example) + "}";
  else
    text = snippet_escaped(row.written);
  for (const field_rule& f : row.fields)
    text += ", ${" + std::to_string(n++) + ":" + snippet_escaped(f.name) + "}";
  return text;
}

}  // namespace

lsp_answer completion(const lsp_server& server, const std::string& uri,
                      text_position at) {
  lsp_answer a;
  lsp_document loaded;
  const lsp_document* d = nullptr;
  if (!find_document(server, uri, loaded, d, a)) return a;
  a.result = json::array();
  source_pair pair;
  std::size_t begin = 0;
  std::size_t end = 0;
  if (!find_pair(server, *d, pair) ||
      !line_span(d->text.bytes, at.line, begin, end))
    return a;
  const std::size_t cursor = std::min(
      end, begin + static_cast<std::size_t>(std::max(
                       0, byte_column(d->text, at.line, at.character))));
  // Only in a row's first field, where its keyword stands; a comment is no
  // place for one.
  const std::string before = d->text.bytes.substr(begin, cursor - begin);
  const std::size_t first = before.find_first_not_of(" \t");
  if (before.find(',') != std::string::npos ||
      (first != std::string::npos && before[first] == '-'))
    return a;
  const std::string section = section_before(d->text.bytes, begin);
  const std::int32_t from =
      first == std::string::npos
          ? at.character
          : utf16_column(d->text, at.line, static_cast<std::int32_t>(first));
  const source_file source = pair.which == error_source::line_source
                                 ? source_file::line
                                 : source_file::train;
  for (const row_rule& row : source_rows(source)) {
    if (section != row.section) continue;
    std::string fields;
    for (const field_rule& f : row.fields)
      fields += "- " + field_line(f) + "\n";
    a.result.push_back(
        {{"label", row.written},
         {"kind", 14},
         {"detail", std::string(row.name) + " row, " + row.section},
         {"documentation",
          {{"kind", "markdown"},
           {"value", std::string(row.meaning) + "\n\n" + fields}}},
         {"filterText", row.written},
         {"insertTextFormat", 2},
         {"textEdit",
          {{"range", range_json(at.line, from, at.line, at.character)},
           {"newText", row_snippet(row)}}}});
  }
  return a;
}

namespace {

// ---------------------------------------------------------------------------
// Document symbols

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

}  // namespace

lsp_answer document_symbols(const lsp_server& server, const std::string& uri) {
  lsp_answer a;
  lsp_document loaded;
  const lsp_document* d = nullptr;
  if (!find_document(server, uri, loaded, d, a)) return a;
  a.result = json::array();
  source_pair pair;
  if (!find_pair(server, *d, pair) || !pair.fault.empty()) return a;
  field_trace trace;
  trace_pair(server, pair, true, trace);
  const std::vector<std::size_t> starts = line_starts(d->text.bytes);

  const auto field_range = [&](const traced_field& f, std::int32_t& end_line,
                               std::int32_t& end_column) {
    const std::int32_t line = f.line - 1;
    const std::string text = line_at(d->text.bytes, starts, line);
    end_line = line;
    end_column =
        utf16_column(d->text, line, field_end_column(text, f.column) - 1);
    return range_json(line, utf16_column(d->text, line, f.column - 1), line,
                      end_column);
  };
  std::vector<symbol> sections;
  std::vector<symbol> rows;  // of the section last in `sections`
  const auto close_row = [&] {
    if (rows.empty() || sections.empty() || !rows.back().open) return;
    symbol& s = rows.back();
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
    symbol& section = sections.back();
    section.end_line = s.end_line;
    section.end_column = s.end_column;
  };
  const auto close_section = [&] {
    close_row();
    if (sections.empty()) return;
    symbol& s = sections.back();
    s.item["range"]["end"] = position_json(s.end_line, s.end_column);
    json children = json::array();
    for (symbol& r : rows) children.push_back(std::move(r.item));
    s.item["children"] = std::move(children);
    rows.clear();
  };
  for (const traced_field& f : trace.fields) {
    if (f.source != pair.which) continue;
    if (f.role == field_role::section) {
      close_section();
      symbol s;
      const json range = field_range(f, s.end_line, s.end_column);
      s.item = {{"name", as_utf8(f.text)},
                {"kind", 3},
                {"range", range},
                {"selectionRange", range}};
      sections.push_back(std::move(s));
    } else if (f.role == field_role::keyword && !sections.empty()) {
      close_row();
      if (!in_outline(f.row)) continue;
      symbol s;
      const json range = field_range(f, s.end_line, s.end_column);
      s.item = {{"kind", symbol_kind(static_cast<row_id>(f.row))},
                {"range", range},
                {"selectionRange", range}};
      s.row = f.row;
      s.open = true;
      rows.push_back(std::move(s));
    } else if (f.role == field_role::data && !rows.empty() &&
               rows.back().open && rows.back().row == f.row && f.field >= 0) {
      symbol& s = rows.back();
      (void)field_range(f, s.end_line, s.end_column);
      const field_rule& rule = grammar_rows()[f.row].fields.items[f.field];
      if (rule.type == field_type::text && s.text.empty()) s.text = f.text;
      if (rule.unit == "m" && s.position.empty())
        s.position = std::to_string(f.value) + " m";
    }
  }
  close_section();
  for (symbol& s : sections) a.result.push_back(std::move(s.item));
  return a;
}
