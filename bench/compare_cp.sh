#!/usr/bin/env bash
# The whole program against the cheapest thing that could give the same
# result: copying its six output files with cp. Both run in the same fresh
# directory setting, one after the other, RUNS times each (after a few warm-up
# runs); the script prints the mean wall time and the peak resident memory of
# each, and the ratios.
#
#   bench/compare_cp.sh [PROGRAM] [RUNS]
#
# PROGRAM defaults to build/genera_scenario (build it in Release for figures
# worth quoting), RUNS to 30. Needs GNU time (/usr/bin/time; Debian: time).
set -euo pipefail

program=${1:-build/genera_scenario}
runs=${2:-30}
if [ ! -x "$program" ]; then
  echo "compare_cp.sh: no program at $program" >&2
  exit 2
fi
if [ ! -x /usr/bin/time ]; then
  echo "compare_cp.sh: needs GNU time (apt-get install -y time)" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/compare_cp-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/run" "$work/copy"
cp "$program" "$work/run/genera_scenario"
program="$work/run/genera_scenario"
"$program"  # the six files to copy

outputs=(
  "Cendra_Gelsio2_EC 482_note.txt"
  "Cendra_Gelsio2_EC 482_rallentamenti.txt"
  "Cendra_Gelsio2_EC 482_scheda_treno.txt"
  "Cendra_Gelsio2_linea.dat"
  "Cendra_Gelsio2_EC 482.sim"
  "Cendra_Gelsio2_EC 482.dat"
)
sources=()
for name in "${outputs[@]}"; do sources+=("$work/run/$name"); done
copy_files() { cp -- "${sources[@]}" "$work/copy/"; }

# Mean wall time of one run in microseconds.
mean_us() {
  local i start end
  for i in 1 2 3; do "$@"; done
  start=$(date +%s%N)
  for ((i = 0; i < runs; i++)); do "$@"; done
  end=$(date +%s%N)
  echo $(((end - start) / runs / 1000))
}

# Largest peak resident set size over a few runs, in KiB.
peak_kib() {
  local i kib peak=0
  for i in 1 2 3 4 5; do
    kib=$(/usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1)
    if [ "$kib" -gt "$peak" ]; then peak=$kib; fi
  done
  echo "$peak"
}

bytes=$(cat "${sources[@]}" | wc -c)
program_us=$(mean_us "$program")
cp_us=$(mean_us copy_files)
program_kib=$(peak_kib "$program")
cp_kib=$(peak_kib cp -- "${sources[@]}" "$work/copy/")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }
echo "six output files: $bytes bytes; $runs runs each"
printf '%-16s %10s %12s\n' "" "time (us)" "peak (KiB)"
printf '%-16s %10s %12s\n' genera_scenario "$program_us" "$program_kib"
printf '%-16s %10s %12s\n' "cp of six files" "$cp_us" "$cp_kib"
echo "ratio program/cp: time $(ratio "$program_us" "$cp_us"), peak memory $(ratio "$program_kib" "$cp_kib")"
