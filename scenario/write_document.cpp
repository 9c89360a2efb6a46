#include "scenario/write_document.h"

#include "scenario/embedded_scenario.h"

std::vector<std::uint8_t> document_bytes(
    const std::vector<std::string>& lines) {
  std::vector<std::uint8_t> bytes;
  for (const std::string& line : lines) {
    if (line == end_marker) break;
    bytes.insert(bytes.end(), line.begin(), line.end());
    bytes.push_back('\r');
    bytes.push_back('\n');
  }
  return bytes;
}

// The whole document goes to the platform in one atomic replace: an earlier
// file of the same name is either replaced completely or left as it was, never
// left missing or truncated by a failure halfway through.
step_result write_document(compile_context& ctx, const std::string& name,
                           const std::vector<std::string>& lines) {
  return replace_file(ctx.files, name, document_bytes(lines));
}

namespace {

// A source that the compile step of this same run reads and then removes is
// replaced as atomically as any file, but not flushed to the disk: no one is
// promised to find it after the run, and waiting for the disk twice more would
// cost the run a good part of its time. When the sources are kept (the
// authors' tool), they are files like any other.
step_result write_source(compile_context& ctx, const std::string& name,
                         const std::vector<std::string>& lines) {
  if (ctx.files.keep_sources) return write_document(ctx, name, lines);
  return replace_scratch_file(ctx.files, name, document_bytes(lines));
}

}  // namespace

step_result dati_linea(compile_context& ctx) {
  return write_source(ctx, line_source_name(ctx), line_source_document());
}

step_result dati_treno(compile_context& ctx) {
  return write_source(ctx, train_source_name(ctx), train_source_document());
}

step_result dati_note(compile_context& ctx) {
  return write_document(ctx, notes_file_name(ctx), notes_document());
}

step_result dati_rallentamenti(compile_context& ctx) {
  return write_document(ctx, slowdown_form_file_name(ctx),
                        slowdown_form_document());
}

step_result dati_scheda(compile_context& ctx) {
  return write_document(ctx, train_card_file_name(ctx), train_card_document());
}
