// Benchmarks of the compile step (reading both sources, marker placement,
// header step, building the three binary images), in memory so that the
// disk does not blur the figures. Built with -DBENCH=ON, never part of the
// test run:
//
//   cmake -S . -B build-bench -DBENCH=ON -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-bench -j2 --target compile_bench
//   build-bench/compile_bench
//
// The long-line benchmark runs at 10, 100 and 1,000 km with the same density
// of rows per kilometre and reports the time per metre and how the time grows
// with the length: it must stay linear (the fitted complexity is printed as
// "BigO"). The nested-slowdown
// benchmark grows the number of slowdowns on one long line instead.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "model/compile_context.h"
#include "platform/memory_disk.h"
#include "run/run_sequence.h"
#include "scenario/embedded_scenario.h"
#include "scenario/write_document.h"
#include "test/long_line.h"

namespace {

std::string text_of(const std::vector<std::string>& lines) {
  std::vector<std::uint8_t> bytes = document_bytes(lines);
  return std::string(bytes.begin(), bytes.end());
}

// Compiles the two sources once per iteration; the sources are put back
// each time, since the compile removes them.
void compile_in_memory(benchmark::State& state, const std::string& line_text,
                       const std::string& train_text) {
  std::size_t output_bytes = 0;
  for (auto _ : state) {
    memory_disk disk;
    compile_context ctx;
    ctx.scenario_name = embedded_scenario_name;
    ctx.train_name = embedded_train_name;
    ctx.files.memory = &disk;
    ctx.files.headless = true;
    disk.files[line_source_name(ctx)] = line_text;
    disk.files[train_source_name(ctx)] = train_text;
    step_result r = memorizza_percorso(ctx, 1);
    if (!r.ok() || ctx.error_code != 0) {
      state.SkipWithError("the compile did not go through cleanly");
      break;
    }
    output_bytes = 0;
    for (const auto& [name, bytes] : disk.files) output_bytes += bytes.size();
    benchmark::DoNotOptimize(output_bytes);
  }
  state.counters["output_bytes"] = static_cast<double>(output_bytes);
}

void compile_embedded_scenario(benchmark::State& state) {
  compile_in_memory(state, text_of(line_source_document()),
                    text_of(train_source_document()));
}
BENCHMARK(compile_embedded_scenario)->Unit(benchmark::kMillisecond);

void compile_long_line(benchmark::State& state) {
  const long_line line =
      make_long_line(static_cast<std::int32_t>(state.range(0)));
  compile_in_memory(state, long_line_source(line), long_train_source(line));
  state.SetComplexityN(state.range(0));
  // Items are metres of line: the report shows metres compiled per second,
  // and the time per metre, which stays the same at every length when the
  // step is linear.
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["time_per_metre"] =
      benchmark::Counter(static_cast<double>(state.range(0)),
                         benchmark::Counter::kIsIterationInvariantRate |
                             benchmark::Counter::kInvert);
}
BENCHMARK(compile_long_line)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// Slowdowns that all reach to the far end of a 1,000,000 m line, one
// starting every 250 m: the marker pass walks each of them from its start,
// and must still take time in proportion to the grid, not to the number of
// slowdowns times their length. Most of them find no free cell for their
// markers (codes 12 and 13); only the time matters here.
void place_markers_nested_slowdowns(benchmark::State& state) {
  const std::int32_t last_cell = 20140;
  std::string train = "[generale]\r\n";
  for (std::int64_t k = 0; k < state.range(0); ++k) {
    const std::int64_t start_m = 250 * k + 2000;
    const std::int64_t end_cell = last_cell - 3 - k;
    train += "rallentamento, " + std::to_string(start_m) + ", 60, " +
             std::to_string((end_cell - 1) * 50 - start_m) + ", 0, 0, 0\r\n";
  }
  train += "[fine]\r\n";
  const std::string line =
      "[generale]\r\nlunghezza percorso, 1000000\r\n[fine]\r\n";
  for (auto _ : state) {
    memory_disk disk;
    compile_context ctx;
    ctx.scenario_name = embedded_scenario_name;
    ctx.train_name = embedded_train_name;
    ctx.files.memory = &disk;
    ctx.files.headless = true;
    disk.files[line_source_name(ctx)] = line;
    disk.files[train_source_name(ctx)] = train;
    // Without the plan: the grid is what the pass works on.
    step_result r = memorizza_percorso(ctx, 0);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(place_markers_nested_slowdowns)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(3500)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
