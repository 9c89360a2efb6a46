#include "reader/memorizza_dati.h"

#include "reader/source_files.h"

void memorizza_dati(compile_context& ctx) {
  ctx.reference_lines = {};
  ctx.warnings.clear();
  ctx.table.slots[slot_scenario_header].label = ctx.scenario_name;
  ctx.table.slots[slot_train_header].label = ctx.train_name;
  // Anything at the name counts as the source: a FIFO or a folder there is
  // then refused by the reading (25), naming what it is, rather than told
  // missing.
  if (!name_taken(ctx.files, line_source_name(ctx))) {
    record_error_code(ctx, code_no_line_source);
    ctx.error_where = error_source::line_source;
    return;
  }
  if (read_line_source(ctx) != read_end::finished) return;
  (void)read_train_source(ctx);
}
