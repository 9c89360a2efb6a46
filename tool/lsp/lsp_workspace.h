// The language server's workspace: the documents the editor holds open,
// the pair of sources each belongs to, the texts that stand in for the
// files, and the compiles of a pair. Every feature reaches the sources
// through it; nothing else finds a pair, reads a file or compiles.
//
// A document belongs to a pair: a line source NAME_linea.txt and a train
// source NAME_TRAIN-.txt in the same folder. The texts the editor holds
// stand in for the files; a source it does not hold is read from disk.
//
// A document is compiled as its file will be on disk. Editors save UTF-8
// unless told otherwise, so the editor's text is compiled as UTF-8, byte
// for byte, and a label that holds UTF-8 gets check's warning. A file on
// disk whose bytes are no UTF-8 was saved in single bytes (an editor that
// opened it as Latin-1 keeps it so): then each character of the editor's
// text up to U+00FF is compiled as its byte, and one past it is an error
// where it stands. The encoding is decided when the document is opened and
// again when it is saved, never on a change, so typing reads no file.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "model/compile_context.h"
#include "tool/authoring/diagnostics.h"
#include "tool/lsp/lsp_text.h"

struct lsp_document {
  std::string uri;   // as the editor names it
  std::string dir;   // the folder of its file
  std::string name;  // the file's name
  std::int64_t version = 0;
  std::string utf8;  // the text as the editor holds it
  file_encoding encoding = file_encoding::utf8;
  editor_text text;  // the text as the compiler reads it
};

struct lsp_workspace {
  std::map<std::string, lsp_document> documents;  // open ones, by URI
  // Files on disk may be read (a source the editor does not hold open, the
  // sources beside a document, the file of a document for its encoding). A
  // fuzz target clears it, so that arbitrary URIs never reach the disk.
  bool read_disk = true;
};

// Documents. open_document holds a new document (or replaces one at the
// same URI) and decides its encoding from its file; set_document_text
// gives an open document a new text; document_saved decides its encoding
// again. close_document forgets one, and returns the URI of a document
// still open that now stands for its pair (empty when none is).
void open_document(lsp_workspace& ws, const std::string& uri,
                   std::int64_t version, std::string utf8);
void set_document_text(lsp_document& d, std::string utf8);
void document_saved(lsp_workspace& ws, lsp_document& d);
std::string close_document(lsp_workspace& ws, const std::string& uri);

// The pair of sources a document belongs to, and which of them it is.
struct source_pair {
  std::string dir;
  std::string scenario;
  std::string train;
  error_source which = error_source::none;
  std::string fault;  // a train source with no line source beside it
};

// False for a document that is no source.
bool find_pair(const lsp_workspace& ws, const lsp_document& d,
               source_pair& pair);

// The document at `uri` for a request, and its pair: the one the editor
// holds, or else the file of a source of an open document's pair, read from
// disk. A request may name any path; no other file is read, and `fault`
// says why.
struct requested_document {
  const lsp_document* held = nullptr;  // the editor's
  lsp_document loaded;                 // else read from its file
  std::string fault;                   // not empty: there is none
  bool is_source = false;              // it has a pair
  source_pair pair;
  const lsp_document& document() const {
    return held != nullptr ? *held : loaded;
  }
};
requested_document find_document(const lsp_workspace& ws,
                                 const std::string& uri);

// One source of a pair as the editor sees it: its URI, its path as the
// diagnostics name it, and the columns of its text (none for a source the
// editor does not hold).
inline const editor_text& no_editor_text() {
  static const editor_text none;
  return none;
}
struct shown_source {
  std::string uri;
  std::string path;
  const editor_text* text = &no_editor_text();
};

// What check reports for a pair (`pair.fault` empty), with its two sources
// as the editor sees them.
struct pair_check {
  shown_source line;
  shown_source train;
  std::vector<diagnostic> list;
};
pair_check check_pair(const lsp_workspace& ws, const source_pair& pair);

// Compiles the pair with a trace, as explain does. With `keep_going`, the
// reading goes on past each faulty row, so an outline survives an error.
void trace_pair(const lsp_workspace& ws, const source_pair& pair,
                bool keep_going, field_trace& trace);
