#include "tool/lsp/lsp_workspace.h"

#include <filesystem>
#include <set>
#include <string_view>
#include <utility>

#include "platform/platform.h"
#include "run/run_sequence.h"
#include "tool/authoring/check.h"

namespace {

constexpr std::string_view line_suffix = "_linea.txt";
constexpr std::string_view train_suffix = "-.txt";

bool ends_with(std::string_view s, std::string_view end) {
  return s.size() > end.size() && s.substr(s.size() - end.size()) == end;
}

const lsp_document* held_document(const lsp_workspace& ws,
                                  const std::string& dir,
                                  const std::string& name) {
  for (const auto& [uri, d] : ws.documents)
    if (d.dir == dir && d.name == name) return &d;
  return nullptr;
}

bool source_exists(const lsp_workspace& ws, const std::string& dir,
                   const std::string& name) {
  if (held_document(ws, dir, name) != nullptr) return true;
  if (!ws.read_disk) return false;
  platform_files files;
  files.directory = dir;
  return file_exists(files, name);
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

// The train of a line source: one the editor holds open, else the first
// beside it on disk, else the embedded train (whose source the compile then
// reports missing).
std::string train_for(const lsp_workspace& ws, const std::string& dir,
                      const std::string& scenario) {
  const std::string prefix = scenario + "_";
  const auto train_of = [&](const std::string& name) -> std::string {
    if (name.size() <= prefix.size() + train_suffix.size() ||
        name.compare(0, prefix.size(), prefix) != 0 ||
        !ends_with(name, train_suffix))
      return "";
    return name.substr(prefix.size(),
                       name.size() - prefix.size() - train_suffix.size());
  };
  std::set<std::string> open;
  for (const auto& [uri, d] : ws.documents)
    if (d.dir == dir && !train_of(d.name).empty())
      open.insert(train_of(d.name));
  if (!open.empty()) return *open.begin();
  std::set<std::string> on_disk;
  std::error_code ec;
  if (ws.read_disk)
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
      const std::string train = train_of(entry.path().filename().string());
      if (!train.empty()) on_disk.insert(train);
    }
  return on_disk.empty() ? embedded_train_name : *on_disk.begin();
}

std::string line_name(const source_pair& p) {
  return p.scenario + std::string(line_suffix);
}
std::string train_name(const source_pair& p) {
  return p.scenario + "_" + p.train + std::string(train_suffix);
}

// A context for the pair as check makes one, and the texts the editor holds
// for it. Without the disk, a source the editor does not hold is missing.
compile_context pair_context(const source_pair& p) {
  compile_context ctx;
  ctx.scenario_name = p.scenario;
  ctx.train_name = p.train;
  ctx.files.directory = p.dir;
  ctx.files.headless = true;
  ctx.files.keep_sources = true;
  ctx.collect_warnings = true;
  return ctx;
}
source_texts unsaved_texts(const lsp_workspace& ws, const source_pair& p) {
  source_texts texts;
  for (const std::string& name : {line_name(p), train_name(p)})
    if (const lsp_document* d = held_document(ws, p.dir, name))
      texts[name] = d->text.bytes;
  return texts;
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
  if (ends_with(d.name, line_suffix)) {
    pair.scenario = d.name.substr(0, d.name.size() - line_suffix.size());
    pair.train = train_for(ws, d.dir, pair.scenario);
    pair.which = error_source::line_source;
    return true;
  }
  if (!ends_with(d.name, train_suffix)) return false;
  pair.which = error_source::train_source;
  // The scenario name may itself hold '_': it is the one whose line source
  // stands beside the train source.
  const std::string stem =
      d.name.substr(0, d.name.size() - train_suffix.size());
  for (std::size_t i = stem.find('_'); i != std::string::npos;
       i = stem.find('_', i + 1)) {
    if (!source_exists(ws, d.dir, stem.substr(0, i) + std::string(line_suffix)))
      continue;
    pair.scenario = stem.substr(0, i);
    pair.train = stem.substr(i + 1);
    return true;
  }
  pair.fault = "no line source SCENARIO_linea.txt stands beside " + d.name +
               ": a train source is read over the grid of its line";
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
  shown_sources names;
  names.line_file = c.line.path;
  names.train_file = c.train.path;
  compile_context ctx = pair_context(pair);
  names.track_file = join_path(pair.dir, track_file_name(ctx));
  memory_disk nothing;
  if (!ws.read_disk) ctx.files.memory = &nothing;
  c.list = check_in_memory(ctx, 1, unsaved_texts(ws, pair), names, {});
  return c;
}

void trace_pair(const lsp_workspace& ws, const source_pair& pair,
                bool keep_going, field_trace& trace) {
  compile_context ctx = pair_context(pair);
  ctx.keep_going = keep_going;
  ctx.trace = &trace;
  memory_disk nothing;
  if (!ws.read_disk) ctx.files.memory = &nothing;
  memory_disk disk;
  (void)compile_in_memory(ctx, disk, 1, unsaved_texts(ws, pair));
}
