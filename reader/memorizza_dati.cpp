#include "reader/memorizza_dati.h"

#include "reader/source_reading.h"

step_result remove_source(compile_context& ctx, const std::string& name) {
  if (ctx.files.keep_sources) return step_ok();
  return remove_file(ctx.files, name);
}

read_end reading_failure(compile_context& ctx, const std::string& detail) {
  ctx.error_detail = detail;
  if (!ctx.files.keep_sources) {
    for (const std::string& name :
         {line_source_name(ctx), train_source_name(ctx)}) {
      step_result r = remove_file(ctx.files, name);
      if (!r.ok()) ctx.error_detail += "; " + r.detail;
    }
  }
  ctx.error_code = code_reading_failure;
  return read_end::reading_failure;
}

void memorizza_dati(compile_context& ctx) {
  ctx.reference_lines = {};
  ctx.warnings.clear();
  ctx.table.slots[slot_scenario_header].label = ctx.scenario_name;
  ctx.table.slots[slot_train_header].label = ctx.train_name;
  if (!file_exists(ctx.files, line_source_name(ctx))) {
    record_error_code(ctx, code_no_line_source);
    ctx.error_where = error_source::line_source;
    return;
  }
  if (read_line_source(ctx) != read_end::finished) return;
  (void)read_train_source(ctx);
}
