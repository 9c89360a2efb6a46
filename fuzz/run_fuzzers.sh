#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each of them for SECONDS, one after the
# other, with the keyword dictionary. Each starts from its seeds in
# fuzz/corpus/<target>/ and the inputs in fuzz/regressions/<target>/; what it
# finds goes to a scratch directory, never into the repository.
#
#   fuzz/run_fuzzers.sh SECONDS [TARGET...]   TARGET: line_reader train_reader compile
#     lsp track_file table_file profile_file dump plot view terminal_text
#
# Environment: FUZZ_BUILD_DIR (default build-fuzz), FUZZ_SCRATCH (default a
# new temporary directory; it is kept, so a finding can be looked at), and
# CXX (default clang++-14).
#
# Exits 1 when a target found a failing input (a crash, a sanitizer report, a
# broken check or an input slower than the timeout); the input is in the
# scratch directory as <target>-crash-*, -timeout-*, -oom-* or -leak-*. Keep it
# as a regression: copy it into fuzz/regressions/<target>/.
set -euo pipefail

seconds=${1:?usage: fuzz/run_fuzzers.sh SECONDS [TARGET...]}
shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(line_reader train_reader compile lsp track_file table_file
    profile_file dump plot view terminal_text)
fi

cd "$(dirname "$0")/.."
build=${FUZZ_BUILD_DIR:-build-fuzz}
scratch=${FUZZ_SCRATCH:-$(mktemp -d "${TMPDIR:-/tmp}/fuzz-XXXXXX")}
mkdir -p "$scratch"

CXX=${CXX:-clang++-14} cmake -S . -B "$build" -DFUZZ=ON -DBUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

failed=()
for target in "${targets[@]}"; do
  echo "== fuzz_$target for $seconds s (new inputs in $scratch/$target)"
  mkdir -p "$scratch/$target"
  inputs=("$scratch/$target" "fuzz/corpus/$target")
  if [ -d "fuzz/regressions/$target" ]; then
    inputs+=("fuzz/regressions/$target")
  fi
  # Any input slower than the timeout counts as a finding: the compile is
  # linear in the size of its sources and the length of the line.
  if ! "$build/fuzz_$target" -max_total_time="$seconds" -timeout=20 \
      -dict=fuzz/keywords.dict -artifact_prefix="$scratch/$target-" \
      -print_final_stats=1 "${inputs[@]}" 2>"$scratch/$target.log"; then
    failed+=("$target")
    tail -n 60 "$scratch/$target.log"
  else
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' \
      "$scratch/$target.log" || true
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing found failing inputs in: ${failed[*]} (see $scratch)" >&2
  ls "$scratch" | grep -E -- '-(crash|timeout|oom|leak|slow-unit)-' >&2 || true
  exit 1
fi
echo "fuzzing found nothing; logs and new inputs in $scratch"
