#include "tool/view/view_state.h"

#include <utility>

#include "platform/platform.h"
#include "run/run_sequence.h"

namespace {

// The sources' modification times, -1 for a missing one.
std::pair<std::int64_t, std::int64_t> source_times(const view_state& state) {
  platform_files files;
  files.directory = state.dir.empty() ? "." : state.dir;
  compile_context names;
  names.scenario_name = state.scenario;
  names.train_name = state.train;
  std::int64_t line = -1, train = -1;
  if (!file_modified_time(files, line_source_name(names), line)) line = -1;
  if (!file_modified_time(files, train_source_name(names), train)) train = -1;
  return {line, train};
}

}  // namespace

void refresh_view(view_state& state) {
  const auto times = source_times(state);
  std::shared_ptr<const source_model> m =
      compile_sources(state.dir, state.scenario, state.train);
  const std::lock_guard<std::mutex> hold(state.lock);
  state.line_time = times.first;
  state.train_time = times.second;
  state.latest = m;
  if (m->drawable()) state.good = m;
  ++state.version;
}

bool refresh_view_if_changed(view_state& state) {
  const auto times = source_times(state);
  {
    const std::lock_guard<std::mutex> hold(state.lock);
    if (times.first == state.line_time && times.second == state.train_time)
      return false;
  }
  refresh_view(state);
  return true;
}
