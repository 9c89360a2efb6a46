#!/usr/bin/env bash
# A long run of one fuzz target, and what it learnt kept in the repository.
#
#   fuzz/campaign.sh TARGET CPU_SECONDS
#
# Builds the target like run_fuzzers.sh (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer), runs it from its kept corpus and its
# regressions until it has had CPU_SECONDS of processor time (on a busy
# machine that takes longer than as many seconds), then merges (-merge=1)
# the kept corpus and all it found into a new corpus: the hand-made seeds
# first, so they always stay, then only the inputs that reach something
# those did not. A merge counts what an input reaches by its edges and by
# how often it runs each one; when that keeps more than the bound below, the
# merge is done again by edges alone, which still keeps every edge (and so
# every line) reached. The new corpus replaces fuzz/corpus/TARGET/ when it
# is within the bound; otherwise it is left in the scratch directory and the
# script fails.
#
# Prints one line for the campaign table: target, CPU seconds, inputs
# executed, corpus files and bytes after the merge and what it counted
# (counters, or edges when it was done again), and failing inputs found
# (each is left in the scratch directory; keep it in fuzz/regressions/TARGET/
# once it is fixed).
#
# With CPU_SECONDS 0 and the FUZZ_SCRATCH of an earlier campaign, it runs
# nothing and merges again what that campaign found.
#
# Environment: FUZZ_BUILD_DIR (default build-fuzz), FUZZ_SCRATCH (default a
# new temporary directory, kept), CXX (default clang++-14).
set -euo pipefail

target=${1:?usage: fuzz/campaign.sh TARGET CPU_SECONDS}
cpu_seconds=${2:?usage: fuzz/campaign.sh TARGET CPU_SECONDS}

# The kept corpus of a target stays under this many bytes, so a clone stays
# small and CI's minute per target starts from all of it. The compile
# target's inputs are whole source pairs, the language server's whole
# sessions: theirs is larger.
case "$target" in
  compile | lsp) corpus_bound_bytes=$((2 * 1024 * 1024)) ;;
  *) corpus_bound_bytes=$((1024 * 1024)) ;;
esac

cd "$(dirname "$0")/.."
build=${FUZZ_BUILD_DIR:-build-fuzz}
scratch=${FUZZ_SCRATCH:-$(mktemp -d "${TMPDIR:-/tmp}/campaign-XXXXXX")}
found="$scratch/$target-found"
merged="$scratch/$target-merged"
mkdir -p "$found" "$merged"

CXX=${CXX:-clang++-14} cmake -S . -B "$build" -DFUZZ=ON -DBUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target "fuzz_$target" >/dev/null

inputs=("$found" "fuzz/corpus/$target")
if [ -d "fuzz/regressions/$target" ]; then
  inputs+=("fuzz/regressions/$target")
fi

# The run goes in rounds of at most ten minutes, each ended by its time or
# by a finding (a finding does not end the campaign), until the rounds'
# processor time adds up.
TIMEFORMAT='%U %S'
cpu_file="$scratch/$target.cpu"
: >"$cpu_file"
executed=0
round=0
cpu_used() { awk '{s += $1 + $2} END {printf "%d", s}' "$cpu_file"; }
while [ "$(cpu_used)" -lt "$cpu_seconds" ]; do
  left=$((cpu_seconds - $(cpu_used)))
  [ "$left" -gt 600 ] && left=600
  round=$((round + 1))
  log="$scratch/$target.$round.log"
  { time "$build/fuzz_$target" -max_total_time="$left" -timeout=20 \
    -dict=fuzz/keywords.dict -artifact_prefix="$scratch/$target-" \
    -print_final_stats=1 "${inputs[@]}" >"$log" 2>&1; } 2>>"$cpu_file" || true
  runs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')
  if [ -z "$runs" ]; then
    # A crash ends the run before its final stats; the last status line
    # gives the count.
    runs=$(grep -oE '^#[0-9]+' "$log" | tail -n 1 | tr -d '#')
  fi
  executed=$((executed + ${runs:-0}))
done
cpu=$(cpu_used)

# Hand-made seeds first: a merge keeps what is already in its output.
# Arguments: the output folder, a name for the merge's log, then libFuzzer's
# options for the merge.
merge_into() {
  local out=$1 log="$scratch/merge-$2.log"
  shift 2
  rm -rf "$out"
  mkdir -p "$out"
  for f in "fuzz/corpus/$target"/*; do
    name=$(basename "$f")
    if ! [[ "$name" =~ ^[0-9a-f]{40}$ ]]; then cp "$f" "$out/"; fi
  done
  "$build/fuzz_$target" -merge=1 -timeout=20 "$@" "$out" \
    "fuzz/corpus/$target" "$found" >"$log" 2>&1
}
size_of() {
  find "$1" -type f -printf '%s\n' | awk '{s += $1} END {print s + 0}'
}

merge_into "$merged" counters
counted=counters
if [ "$(size_of "$merged")" -gt "$corpus_bound_bytes" ]; then
  echo "the merge of $target by counters is $(size_of "$merged") bytes;" \
    "merging by edges alone" >&2
  rm -rf "$merged-counters"
  mv "$merged" "$merged-counters"
  merge_into "$merged" edges -use_counters=0
  counted=edges
fi

files=$(find "$merged" -type f | wc -l)
bytes=$(size_of "$merged")
findings=$(find "$scratch" -maxdepth 1 -name "$target-*" -type f | wc -l)
if [ "$bytes" -gt "$corpus_bound_bytes" ]; then
  echo "the merged corpus of $target is $bytes bytes, over the bound of" \
    "$corpus_bound_bytes; it is in $merged" >&2
  exit 1
fi
rm -rf "fuzz/corpus/$target"
cp -r "$merged" "fuzz/corpus/$target"
echo "$target cpu_s=$cpu executed=$executed corpus_files=$files" \
  "corpus_bytes=$bytes merge=$counted findings=$findings scratch=$scratch"
