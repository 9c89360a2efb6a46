#include "reader/source_files.h"

#include <string>

#include "base/step_result.h"
#include "reader/line_reader.h"
#include "reader/line_rows.h"
#include "reader/train_reader.h"
#include "reader/train_rows.h"

namespace {

// Removes a source file once it has been read, unless the run keeps its
// sources.
step_result remove_source(compile_context& ctx, const std::string& name) {
  if (ctx.files.keep_sources) return step_ok();
  return remove_file(ctx.files, name);
}

// Removes both sources where they still exist; a source that cannot be
// removed adds its fault to the detail of the code in the slot.
void remove_both_sources(compile_context& ctx) {
  if (ctx.files.keep_sources) return;
  for (const std::string& name :
       {line_source_name(ctx), train_source_name(ctx)}) {
    step_result r = remove_file(ctx.files, name);
    if (!r.ok()) ctx.error_detail += "; " + r.detail;
  }
}

// The common failure path: records code 25 and removes both sources;
// `error_position` stays. `detail` says what failed.
read_end reading_failure(compile_context& ctx, const std::string& detail) {
  (void)record_reading_failure(ctx, detail);
  remove_both_sources(ctx);
  return read_end::reading_failure;
}

// A source that cannot be removed turns a reading that ended well, or with a
// code, into a reading failure. The train reader's origin of the code stays
// noted on the row being read.
bool removed_or_failed(compile_context& ctx, const std::string& name) {
  step_result removed = remove_source(ctx, name);
  if (removed.ok()) return true;
  (void)reading_failure(ctx, removed.detail);
  return false;
}

// Reads a source whole; a source that cannot be read is a reading failure
// with no line to point at.
bool read_source(compile_context& ctx, const std::string& name,
                 error_source where, std::string& text) {
  step_result read = read_file(ctx.files, name, text);
  if (read.ok()) return true;
  ctx.error_where = where;
  ctx.error_line = 0;
  (void)reading_failure(ctx, read.detail);
  return false;
}

}  // namespace

read_end read_line_source(compile_context& ctx) {
  ctx.grid = track_grid{};
  ctx.curves = curve_table{};
  std::string text;
  if (!read_source(ctx, line_source_name(ctx), error_source::line_source, text))
    return read_end::reading_failure;
  line_reading r;
  const read_end end = read_line_text(ctx, text, r);
  if (end == read_end::reading_failure) {
    remove_both_sources(ctx);
    return end;
  }
  if (!removed_or_failed(ctx, line_source_name(ctx)))
    return read_end::reading_failure;
  if (end == read_end::finished) complete_line_model(ctx, r);
  return end;
}

read_end read_train_source(compile_context& ctx) {
  std::string text;
  if (!read_source(ctx, train_source_name(ctx), error_source::train_source,
                   text))
    return read_end::reading_failure;
  train_reading t;
  const read_end end = read_train_text(ctx, text, t);
  if (end == read_end::reading_failure) {
    remove_both_sources(ctx);
    return end;
  }
  if (!removed_or_failed(ctx, train_source_name(ctx))) {
    // The failure replaces the row's code: the slot's position goes back to
    // what it held before the code, and the failure is told at the field
    // read last.
    if (end == read_end::coded_error) {
      ctx.error_position = t.position_before_code;
      note_error_origin(ctx, error_source::train_source, t.cur);
    }
    return read_end::reading_failure;
  }
  if (end == read_end::coded_error ||
      complete_train_model(ctx, t) == read_end::finished)
    return end;
  remove_both_sources(ctx);
  return read_end::reading_failure;
}
