#include "tool/plot/plot.h"

plot_input picture_of(const source_model& m) {
  plot_input in;
  in.scenario_name = m.ctx.scenario_name;
  in.train_name = m.ctx.train_name;
  in.grid = &m.ctx.grid;
  in.table = &m.ctx.table;
  in.curves = m.ctx.curves.allocated() ? &m.ctx.curves : nullptr;
  in.sources.line_file = m.line_file;
  in.sources.train_file = m.train_file;
  in.sources.cell_owners = &m.ctx.cell_owners;
  in.sources.slot_owners = &m.ctx.slot_owners;
  in.sources.curve_owners = &m.ctx.curve_owners;
  return in;
}
