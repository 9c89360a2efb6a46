#!/usr/bin/env bash
# What the kept corpus of each fuzz target reaches: the targets built with
# clang's source-based coverage, each run once over its corpus and its
# regressions, and llvm-cov's line coverage of the project's files.
#
#   fuzz/coverage.sh [TARGET...]     (default: every target)
#
# Prints, per target, the report's total line and the files it reaches least;
# the full per-file report is in $FUZZ_COVERAGE_DIR/<target>.txt (default
# build-fuzz-coverage/report), the lines never run in <target>.missed.txt.
set -euo pipefail

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(line_reader train_reader compile lsp track_file table_file
    profile_file dump plot view)
fi

cd "$(dirname "$0")/.."
build=build-fuzz-coverage
report=${FUZZ_COVERAGE_DIR:-$build/report}
mkdir -p "$report"
coverage_flags="-fprofile-instr-generate -fcoverage-mapping"

CXX=${CXX:-clang++-14} cmake -S . -B "$build" -DFUZZ=ON -DBUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$coverage_flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fprofile-instr-generate" >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}" >/dev/null

# Test code, the fuzz harnesses and the system's headers are not what is
# measured.
ignore='(/usr/|/test/|/fuzz/|_test\.cpp)'

for target in "${targets[@]}"; do
  raw="$report/$target.profraw"
  rm -f "$raw"
  inputs=("fuzz/corpus/$target")
  if [ -d "fuzz/regressions/$target" ]; then
    inputs+=("fuzz/regressions/$target")
  fi
  LLVM_PROFILE_FILE="$raw" "$build/fuzz_$target" -runs=0 -timeout=60 \
    "${inputs[@]}" >"$report/$target.run.log" 2>&1
  llvm-profdata-14 merge -sparse "$raw" -o "$report/$target.profdata"
  llvm-cov-14 report "$build/fuzz_$target" \
    -instr-profile="$report/$target.profdata" \
    -ignore-filename-regex="$ignore" >"$report/$target.txt"
  llvm-cov-14 show "$build/fuzz_$target" \
    -instr-profile="$report/$target.profdata" \
    -ignore-filename-regex="$ignore" -show-line-counts-or-regions \
    -format=text | grep -E '^ +[0-9]+\| +0\|' >"$report/$target.missed.txt" ||
    true
  # Columns of the report: file, regions, missed, cover, functions, missed,
  # executed, lines, missed lines, line cover, branches, missed, cover.
  total=$(grep -E '^TOTAL' "$report/$target.txt" |
    awk '{print $8 " lines, " $9 " missed, " $10 " covered"}')
  echo "== $target: $total"
  grep -E '^[a-z]' "$report/$target.txt" | grep -v '^TOTAL' |
    awk '$8 > 40 {print "   " $1 ": " $10 " of " $8 " lines"}' |
    sort -t: -k2 -n | head -n 6
done
