#include "tool/authoring/source_model.h"

#include <charconv>
#include <cstdint>

#include "platform/platform.h"
#include "run/run_sequence.h"
#include "tool/authoring/check.h"

namespace {

compile_context source_context(const std::string& dir,
                               const std::string& scenario,
                               const std::string& train) {
  compile_context ctx;
  ctx.scenario_name = scenario;
  ctx.train_name = train;
  // Never the empty string: the platform would join it at the root.
  ctx.files.directory = dir.empty() ? "." : dir;
  ctx.files.headless = true;
  ctx.files.keep_sources = true;
  ctx.collect_warnings = true;
  return ctx;
}

std::string shown(const std::string& dir, const std::string& name) {
  return dir.empty() ? name : join_path(dir, name);
}

}  // namespace

std::unique_ptr<source_model> compile_sources(const std::string& dir,
                                              const std::string& scenario,
                                              const std::string& train) {
  auto m = std::make_unique<source_model>();
  m->ctx = source_context(dir, scenario, train);
  m->line_file = shown(dir, line_source_name(m->ctx));
  m->train_file = shown(dir, train_source_name(m->ctx));
  shown_sources sources;
  sources.line_file = m->line_file;
  sources.train_file = m->train_file;
  sources.track_file = shown(dir, track_file_name(m->ctx));
  (void)read_file(m->ctx.files, line_source_name(m->ctx), sources.line_text);
  (void)read_file(m->ctx.files, train_source_name(m->ctx), sources.train_text);
  m->result = compile_in_memory(m->ctx, m->disk, 1);
  compile_context pass;
  const bool with_pass = m->ctx.error_code != 0;
  memory_disk pass_disk;
  if (with_pass) {
    pass = source_context(dir, scenario, train);
    pass.keep_going = true;
    (void)compile_in_memory(pass, pass_disk, 1);
  }
  m->diagnostics = compile_diagnostics(
      m->ctx, m->result, with_pass ? &pass : nullptr, sources, {false, 0});
  m->counts = count_diagnostics(m->diagnostics);
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
    if (same_row(origin))
      return (static_cast<double>(cell) - 1) * cell_length_m;
  for (const auto& [slot, origin] : m.ctx.slot_owners) {
    const line_record* r = slot_at(m.ctx.table, slot);
    if (same_row(origin) && r != nullptr) return r->at_m;
  }
  for (const curve_owner& c : m.ctx.curve_owners)
    if (same_row(c.origin)) return c.start_m;
  return -1;
}
