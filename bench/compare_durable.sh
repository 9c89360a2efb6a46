#!/usr/bin/env bash
# The whole program, and the authors' tool compiling the dense 1,000,000 m
# line, each against the floor of what it does: the durable copy of its
# output files (bench/durable_copy.cpp: each file copied to a temporary name
# in the destination folder, flushed with fsync and renamed over the final
# name, as the program replaces its outputs). A plain cp does not flush, so it
# is no floor.
#
# The two sides of a comparison run as whole processes, paired and
# alternating (A B, B A, A B, ...) after a few warm-up pairs, in the same run
# on the same disk; the script prints the median time of each side, the
# median of the per-pair ratios, and the peak resident memory of the program
# (GNU time -v, the largest of three runs) against the largest output file.
#
#   bench/compare_durable.sh [BUILD_DIR] [PAIRS]
#
# BUILD_DIR holds genera_scenario, tool/scenario_tool, durable_copy and
# long_line_sources (default build-bench, configured with -DBENCH=ON
# -DCMAKE_BUILD_TYPE=Release); PAIRS defaults to 21. The work directory is
# made under TMPDIR (default /tmp), which must be a real disk, not tmpfs, or
# the flushes cost nothing. Needs bash 5 and GNU time (Debian: time).
set -euo pipefail

build=${1:-build-bench}
pairs=${2:-21}
for tool in genera_scenario tool/scenario_tool durable_copy long_line_sources; do
  if [ ! -x "$build/$tool" ]; then
    echo "compare_durable.sh: no $tool in $build (build with -DBENCH=ON)" >&2
    exit 2
  fi
done
if [ ! -x /usr/bin/time ]; then
  echo "compare_durable.sh: needs GNU time (apt-get install -y time)" >&2
  exit 2
fi
build=$(cd "$build" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/compare_durable-XXXXXX")
trap 'rm -rf "$work"' EXIT
if [ "$(stat -f -c %T "$work")" = tmpfs ]; then
  echo "compare_durable.sh: warning: $work is on tmpfs; flushes cost nothing" >&2
fi

# Wall time of one run of "$@" in microseconds, in $elapsed_us. No subshell
# and no clock process: bash reads the clock itself.
elapsed_us=0
timed() {
  local start=$EPOCHREALTIME
  "$@" >/dev/null 2>&1
  local end=$EPOCHREALTIME
  elapsed_us=$(((${end/./} - ${start/./})))
}

median() { sort -n | awk '{ v[NR] = $1 } END {
  if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Largest peak resident set size of three runs, in KiB.
peak_kib() {
  local i kib peak=0
  for i in 1 2 3; do
    /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>&1
    kib=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
    if [ "$kib" -gt "$peak" ]; then peak=$kib; fi
  done
  echo "$peak"
}

# compare LABEL FLOOR_LABEL "A command" "B command": paired, alternating runs
# of the two commands; prints a line of medians and the ratio A/B.
compare() {
  local label=$1 floor=$2 a=$3 b=$4 i
  local a_times=() b_times=() ratios=()
  for ((i = 0; i < 3; i++)); do eval "$a" >/dev/null 2>&1; eval "$b"; done
  for ((i = 0; i < pairs; i++)); do
    local a_us b_us
    if ((i % 2 == 0)); then
      timed eval "$a"; a_us=$elapsed_us
      timed eval "$b"; b_us=$elapsed_us
    else
      timed eval "$b"; b_us=$elapsed_us
      timed eval "$a"; a_us=$elapsed_us
    fi
    a_times+=("$a_us")
    b_times+=("$b_us")
    ratios+=("$(awk -v a="$a_us" -v b="$b_us" 'BEGIN { printf "%.4f", a / b }')")
  done
  local a_med b_med r_med
  a_med=$(printf '%s\n' "${a_times[@]}" | median)
  b_med=$(printf '%s\n' "${b_times[@]}" | median)
  r_med=$(printf '%s\n' "${ratios[@]}" | median)
  printf '%-44s %9.1f ms\n' "$label" "$(awk -v v="$a_med" 'BEGIN { print v / 1000 }')"
  printf '%-44s %9.1f ms\n' "$floor" "$(awk -v v="$b_med" 'BEGIN { print v / 1000 }')"
  printf '%-44s %9.2f   (median of %d pair ratios)\n' "ratio" "$r_med" "$pairs"
}

# memory LABEL FILE "command": the peak memory of the command against FILE.
memory() {
  local label=$1 file=$2 cmd=$3 kib bytes
  kib=$(eval "peak_kib $cmd")
  bytes=$(stat -c %s "$file")
  awk -v k="$kib" -v b="$bytes" -v l="$label" 'BEGIN {
    printf "%-44s %9.1f MB = %.2f x %s (%.2f MB)\n", "peak memory", k * 1024 / 1e6,
      k * 1024 / b, l, b / 1e6 }'
}

bytes_of() { cat "$@" | wc -c | awk '{ printf "%.2f MB", $1 / 1e6 }'; }

# --- genera_scenario, the embedded scenario, in the folder of its executable.
mkdir "$work/program" "$work/program_copy"
cp "$build/genera_scenario" "$work/program/"
"$work/program/genera_scenario"
program_outputs=()
for name in "Cendra_Gelsio2_EC 482_note.txt" \
  "Cendra_Gelsio2_EC 482_rallentamenti.txt" \
  "Cendra_Gelsio2_EC 482_scheda_treno.txt" "Cendra_Gelsio2_linea.dat" \
  "Cendra_Gelsio2_EC 482.sim" "Cendra_Gelsio2_EC 482.dat"; do
  program_outputs+=("$work/program/$name")
done
largest=$(ls -S "${program_outputs[@]}" | head -n 1)
# Both sides replace files that are there, as a run over an earlier run does.
"$build/durable_copy" "$work/program_copy" "${program_outputs[@]}"

echo "genera_scenario, embedded scenario: six files, $(bytes_of "${program_outputs[@]}")"
compare "genera_scenario" "durable copy of its six files" \
  '"$work/program/genera_scenario"' \
  '"$build/durable_copy" "$work/program_copy" "${program_outputs[@]}"'
memory "its largest output, $(basename "$largest")" "$largest" \
  '"$work/program/genera_scenario"'
echo

# --- scenario_tool compile, the dense 1,000,000 m line.
mkdir "$work/compile" "$work/compile_copy"
"$build/long_line_sources" "$work/compile" 1000000
"$build/tool/scenario_tool" compile -q --dir "$work/compile" 2>/dev/null
compile_outputs=("$work/compile/Cendra_Gelsio2_linea.dat"
  "$work/compile/Cendra_Gelsio2_EC 482.sim"
  "$work/compile/Cendra_Gelsio2_EC 482.dat")
"$build/durable_copy" "$work/compile_copy" "${compile_outputs[@]}"

echo "scenario_tool compile, dense 1,000,000 m line: three files, $(bytes_of "${compile_outputs[@]}")"
compare "scenario_tool compile" "durable copy of its three files" \
  '"$build/tool/scenario_tool" compile --dir "$work/compile"' \
  '"$build/durable_copy" "$work/compile_copy" "${compile_outputs[@]}"'
memory "the profile file" "${compile_outputs[0]}" \
  '"$build/tool/scenario_tool" compile --dir "$work/compile"'
