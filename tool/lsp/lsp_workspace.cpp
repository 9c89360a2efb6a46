#include "tool/lsp/lsp_workspace.h"

#include <filesystem>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "model/file_names.h"
#include "platform/platform.h"
#include "run/run_sequence.h"
#include "tool/authoring/session.h"
#include "tool/authoring/source_model.h"
#include "tool/authoring/sources.h"

namespace {

const lsp_document* held_document(const lsp_workspace& ws,
                                  const std::string& dir,
                                  const std::string& name) {
  for (const auto& [uri, d] : ws.documents)
    if (d.dir == dir && d.name == name) return &d;
  return nullptr;
}

// How the file of a document holds its text (see the header): single bytes
// when it exists and its bytes are no UTF-8, else UTF-8, as editors save.
file_encoding encoding_on_disk(const lsp_workspace& ws, const lsp_document& d) {
  if (!ws.read_disk || d.dir.empty()) return file_encoding::utf8;
  platform_files files;
  files.directory = d.dir;
  std::string bytes;
  if (!file_exists(files, d.name) || !read_file(files, d.name, bytes).ok())
    return file_encoding::utf8;
  return encoding_of_bytes(bytes);
}

// The names of the files in a document's folder as the server sees them:
// those the editor holds, and those on disk when it may read the disk.
std::vector<std::string> folder_names(const lsp_workspace& ws,
                                      const std::string& dir) {
  std::vector<std::string> names =
      ws.read_disk ? folder_file_names(dir) : std::vector<std::string>{};
  for (const auto& [uri, d] : ws.documents)
    if (d.dir == dir) names.push_back(d.name);
  return names;
}

// The trains of the train sources of `scenario` the editor holds open in
// `dir`.
std::set<std::string> open_trains(const lsp_workspace& ws,
                                  const std::string& dir,
                                  const std::string& scenario) {
  std::set<std::string> trains;
  for (const auto& [uri, d] : ws.documents)
    for (const scenario_names& reading : readings_of_train_source(d.name))
      if (d.dir == dir && reading.scenario == scenario)
        trains.insert(reading.train);
  return trains;
}

std::string line_name(const source_pair& p) {
  return line_source_file(p.scenario);
}
std::string train_name(const source_pair& p) {
  return train_source_file(p.scenario, p.train);
}

source_texts unsaved_texts(const lsp_workspace& ws, const source_pair& p) {
  source_texts texts;
  for (const std::string& name : {line_name(p), train_name(p)})
    if (const lsp_document* d = held_document(ws, p.dir, name))
      texts[name] = d->text.bytes;
  return texts;
}

// The author's compile of the pair, with the texts the editor holds
// standing in for the files. Without the disk, a source the editor does not
// hold is missing.
author_settings pair_settings(const lsp_workspace& ws, const source_pair& p) {
  author_settings s;
  s.dir = p.dir;
  s.names = {p.scenario, p.train};
  s.read_disk = ws.read_disk;
  s.unsaved = unsaved_texts(ws, p);
  return s;
}

// Whether DIR/NAME is a source of the pair of a document the editor holds:
// the only files a request may have read that the editor has not opened.
bool pair_source_of_open_document(const lsp_workspace& ws,
                                  const std::string& dir,
                                  const std::string& name) {
  for (const auto& [uri, d] : ws.documents) {
    source_pair pair;
    if (d.dir != dir || !find_pair(ws, d, pair) || !pair.fault.empty())
      continue;
    if (name == line_name(pair) || name == train_name(pair)) return true;
  }
  return false;
}

shown_source shown_for(const lsp_workspace& ws, const source_pair& p,
                       const std::string& name) {
  shown_source s;
  s.path = join_path(p.dir, name);
  if (const lsp_document* d = held_document(ws, p.dir, name)) {
    s.uri = d->uri;
    s.text = &d->text;
    return s;
  }
  // A file the editor has not opened is named as the editor names the one
  // open beside it (clients write a drive letter's colon either way), so
  // that its diagnostics stay its own when it is opened later.
  for (const auto& [uri, d] : ws.documents) {
    if (d.dir != p.dir) continue;
    const std::size_t slash = uri.rfind('/');
    const std::string escaped = uri_of_path(name);
    s.uri = uri.substr(0, slash + 1) + escaped.substr(escaped.rfind('/') + 1);
    return s;
  }
  s.uri = uri_of_path(s.path);
  return s;
}

}  // namespace

void open_document(lsp_workspace& ws, const std::string& uri,
                   std::int64_t version, std::string utf8) {
  lsp_document d;
  d.uri = uri;
  d.version = version;
  std::string path;
  if (path_of_uri(uri, path)) {
    const std::filesystem::path p(path);
    d.dir = p.parent_path().string();
    d.name = p.filename().string();
  }
  d.encoding = encoding_on_disk(ws, d);
  set_document_text(d, std::move(utf8));
  ws.documents[uri] = std::move(d);
}

void set_document_text(lsp_document& d, std::string utf8) {
  d.utf8 = std::move(utf8);
  d.text = compiled_text(d.utf8, d.encoding);
}

void document_saved(lsp_workspace& ws, lsp_document& d) {
  const file_encoding now = encoding_on_disk(ws, d);
  if (now == d.encoding) return;
  d.encoding = now;
  d.text = compiled_text(d.utf8, d.encoding);
}

std::string close_document(lsp_workspace& ws, const std::string& uri) {
  const auto open = ws.documents.find(uri);
  if (open == ws.documents.end()) return "";
  const std::string dir = open->second.dir;
  ws.documents.erase(open);
  // The partner still open stands for the pair; else the closed text, read
  // from its file as check would.
  std::string partner;
  for (const auto& [other, d] : ws.documents)
    if (d.dir == dir) partner = other;
  return partner;
}

bool find_pair(const lsp_workspace& ws, const lsp_document& d,
               source_pair& pair) {
  pair.dir = d.dir;
  if (d.dir.empty()) return false;
  std::string scenario;
  const bool line = scenario_of_line_source(d.name, scenario);
  if (!line && readings_of_train_source(d.name).empty()) return false;
  pair.which = line ? error_source::line_source : error_source::train_source;
  // The pair is found by the rule check follows (tool/authoring/sources.h);
  // a train source the editor holds open beside the line source names the
  // train, as --train does on the command line.
  const std::vector<std::string> names = folder_names(ws, d.dir);
  source_choice choice = choose_source_pair(names, d.dir, d.name, std::nullopt);
  if (line && !choice.ok()) {
    const std::set<std::string> trains = open_trains(ws, d.dir, scenario);
    if (trains.size() == 1)
      choice = choose_source_pair(names, d.dir, d.name, *trains.begin());
  }
  pair.scenario = choice.names.scenario;
  pair.train = choice.names.train;
  pair.fault = choice.fault;
  return true;
}

requested_document find_document(const lsp_workspace& ws,
                                 const std::string& uri) {
  requested_document r;
  const auto open = ws.documents.find(uri);
  if (open != ws.documents.end()) {
    r.held = &open->second;
    r.is_source = find_pair(ws, *r.held, r.pair);
    return r;
  }
  std::string path;
  if (!path_of_uri(uri, path)) {
    r.fault = uri + " is not open, and it names no file";
    return r;
  }
  const std::filesystem::path p(path);
  lsp_document& loaded = r.loaded;
  loaded.uri = uri;
  loaded.dir = p.parent_path().string();
  loaded.name = p.filename().string();
  std::error_code ec;
  std::string bytes;
  if (!ws.read_disk ||
      !pair_source_of_open_document(ws, loaded.dir, loaded.name)) {
    r.fault = uri +
              " is not open, and it is no source of the pair of an open "
              "document: the server reads no other file";
  } else if (!std::filesystem::is_regular_file(path, ec)) {
    r.fault = uri + " is not open, and there is no file " + path;
  } else {
    platform_files files;
    files.directory = loaded.dir;
    const step_result read = read_file(files, loaded.name, bytes);
    if (!read.ok())
      r.fault = read.detail.empty() ? path + " cannot be read" : read.detail;
    else if (bytes.find('\0') != std::string::npos)
      r.fault = path + " is not text: it holds NUL bytes";
  }
  if (!r.fault.empty()) return r;
  loaded.encoding = encoding_of_bytes(bytes);
  loaded.text = file_text(std::move(bytes), loaded.encoding);
  r.is_source = find_pair(ws, loaded, r.pair);
  return r;
}

pair_check check_pair(const lsp_workspace& ws, const source_pair& pair) {
  pair_check c;
  c.line = shown_for(ws, pair, line_name(pair));
  c.train = shown_for(ws, pair, train_name(pair));
  c.list = compile_sources(pair_settings(ws, pair), {})->diagnostics;
  return c;
}

void trace_pair(const lsp_workspace& ws, const source_pair& pair,
                bool keep_going, field_trace& trace) {
  (void)trace_sources(pair_settings(ws, pair), trace, keep_going);
}
