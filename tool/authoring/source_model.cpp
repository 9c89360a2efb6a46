#include "tool/authoring/source_model.h"

#include <charconv>
#include <cstdint>

#include "platform/platform.h"
#include "run/run_sequence.h"

namespace {

// Compiles the pair of `s` in memory into m, whose context is made and set
// up already; the names of its sources are those `sources` shows.
void compile_model(const author_settings& s, const shown_sources& sources,
                   source_model& m) {
  memory_disk nothing;
  if (!s.read_disk) m.ctx.files.memory = &nothing;
  m.line_file = sources.line_file;
  m.train_file = sources.train_file;
  m.result = compile_in_memory(m.ctx, m.disk, plan_flag(s), s.unsaved);
}

}  // namespace

std::unique_ptr<source_model> compile_sources(
    const author_settings& s, const diagnostic_options& options) {
  auto m = std::make_unique<source_model>();
  m->ctx = author_context(s);
  shown_sources sources = shown_names(s);
  compile_model(s, sources, *m);
  m->diagnostics = diagnostics_after(m->ctx, m->result, s, sources, options);
  m->counts = count_diagnostics(m->diagnostics);
  return m;
}

std::unique_ptr<source_model> compile_sources(const std::string& dir,
                                              const std::string& scenario,
                                              const std::string& train) {
  author_settings s;
  s.dir = dir;
  s.names = {scenario, train};
  return compile_sources(s, {false, 0});
}

std::unique_ptr<source_model> trace_sources(const author_settings& s,
                                            field_trace& trace,
                                            bool keep_going) {
  auto m = std::make_unique<source_model>();
  m->ctx = author_context(s);
  m->ctx.keep_going = keep_going;
  m->ctx.trace = &trace;
  compile_model(s, shown_names(s), *m);
  m->ctx.trace = nullptr;
  return m;
}

double diagnostic_metre(const source_model& m, const diagnostic& d) {
  // Messages of coded errors end with "(at P m)".
  const std::size_t at = d.message.rfind("(at ");
  if (at != std::string::npos) {
    std::int64_t metres = 0;
    const char* first = d.message.data() + at + 4;
    const char* last = d.message.data() + d.message.size();
    const auto r = std::from_chars(first, last, metres);
    if (r.ec == std::errc() && r.ptr + 2 <= last && r.ptr[0] == ' ' &&
        r.ptr[1] == 'm')
      return static_cast<double>(metres);
  }
  if (d.line <= 0) return -1;
  const error_source where = d.file == m.line_file ? error_source::line_source
                             : d.file == m.train_file
                                 ? error_source::train_source
                                 : error_source::none;
  const auto same_row = [&](const row_origin& o) {
    return o.where == where && o.line == d.line;
  };
  for (const auto& [cell, origin] : m.ctx.cell_owners)
    if (same_row(origin)) return static_cast<double>(point_metre(cell));
  for (const auto& [slot, origin] : m.ctx.slot_owners) {
    const line_record* r = slot_at(m.ctx.table, slot);
    if (same_row(origin) && r != nullptr) return r->at_m;
  }
  for (const curve_owner& c : m.ctx.curve_owners)
    if (same_row(c.origin)) return c.start_m;
  return -1;
}
