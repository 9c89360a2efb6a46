#!/usr/bin/env bash
# Two runs at once in one folder (the program opened twice). Each run holds
# the folder's lock from its first write to its last, so the second waits
# for the first and then does the whole run itself: both end cleanly, no
# temporary file is left, every file in the folder is a regular file, and
# every output is the clean build, in every round. Before the lock, the
# runs shared the two sources the program writes, reads and removes, and
# about half the rounds ended with a build mixed from both or partly filled.
#
# Two compiles of the authors' tool at once read the same sources and never
# remove them: both must succeed, with the clean build.
#
# usage: concurrent_runs.sh PATH/TO/genera_scenario [PATH/TO/scenario_tool]
set -euo pipefail
program=$1
tool=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rounds=20

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# The files of one clean run, to compare with.
mkdir "$work/clean"
cp "$program" "$work/clean/genera_scenario"
"$work/clean/genera_scenario"

documents=("Cendra_Gelsio2_EC 482_note.txt" "Cendra_Gelsio2_EC 482_rallentamenti.txt"
  "Cendra_Gelsio2_EC 482_scheda_treno.txt")
binaries=("Cendra_Gelsio2_linea.dat" "Cendra_Gelsio2_EC 482.sim" "Cendra_Gelsio2_EC 482.dat")

# No temporary file and nothing but regular files in folder $1.
check_folder() {
  local dir=$1 entry
  for entry in "$dir"/* "$dir"/.[!.]*; do
    [ -e "$entry" ] || [ -L "$entry" ] || continue
    case $entry in
    *.tmp) fail "$dir: temporary file left: ${entry##*/}" ;;
    esac
    [ -f "$entry" ] && [ ! -L "$entry" ] || fail "$dir: not a regular file: ${entry##*/}"
  done
}

both_clean=0
for round in $(seq 1 $rounds); do
  dir=$work/program_$round
  mkdir "$dir"
  cp "$program" "$dir/genera_scenario"
  "$dir/genera_scenario" >"$dir.out1" 2>&1 &
  first=$!
  "$dir/genera_scenario" >"$dir.out2" 2>&1 &
  second=$!
  status1=0 status2=0
  wait $first || status1=$?
  wait $second || status2=$?
  check_folder "$dir"
  if [ "$status1" = 0 ] && [ "$status2" = 0 ]; then
    both_clean=$((both_clean + 1))
  else
    fail "round $round: runs ended with $status1 and $status2: $(cat "$dir.out1" "$dir.out2")"
  fi
  for name in "${documents[@]}" "${binaries[@]}"; do
    cmp -s "$dir/$name" "$work/clean/$name" || fail "round $round: $name differs"
  done
done
echo "program: both runs clean in $both_clean of $rounds rounds"

if [ -n "$tool" ]; then
  dir=$work/tool
  mkdir "$dir"
  "$tool" export --dir "$dir" >/dev/null
  for round in $(seq 1 $rounds); do
    status1=0 status2=0
    "$tool" compile --dir "$dir" >"$dir.out1" 2>&1 &
    first=$!
    "$tool" compile --dir "$dir" >"$dir.out2" 2>&1 &
    second=$!
    wait $first || status1=$?
    wait $second || status2=$?
    [ "$status1" = 0 ] && [ "$status2" = 0 ] ||
      fail "tool round $round: compiles ended with $status1 and $status2: $(cat "$dir.out1" "$dir.out2")"
    check_folder "$dir"
    for name in "${binaries[@]}"; do
      cmp -s "$dir/$name" "$work/clean/$name" || fail "tool round $round: $name differs"
    done
  done
fi

# Two compiles with a save between them: the first, of the old sources, is
# held up after its first rename (strace delays its second by a second)
# while the sources are saved anew and the second compile runs. Without the lock the second
# wrote all three files inside that delay and the first then renamed its
# last two over them: a set mixed from two readings. With it, the second
# waits, and the folder ends with the new build whole.
if [ -n "$tool" ] && command -v strace >/dev/null &&
  strace -o /dev/null true 2>/dev/null; then
  base=$work/saves
  mkdir -p "$base/old" "$base/new"
  "$tool" export --dir "$base/old" >/dev/null
  cp "$base/old/"*.txt "$base/new/"
  # An edit that changes each of the three files: a curve (the plan), a
  # speed limit (the grid) and a station's name (the line table). The
  # sources end their lines with CR LF.
  sed -i 's/^curvas2,  1500,  200\r/curvas2,  1500,  250\r/' "$base/new/Cendra_Gelsio2_linea.txt"
  sed -i -e 's/^velocita,    1700,    75\r/velocita,    1700,    80\r/' \
    -e 's/, CENDRA\r/, CENDRA NUOVA\r/' "$base/new/Cendra_Gelsio2_EC 482-.txt"
  "$tool" compile --dir "$base/old" -q
  "$tool" compile --dir "$base/new" -q
  for name in "${binaries[@]}"; do
    cmp -s "$base/old/$name" "$base/new/$name" &&
      fail "saves: the edit does not change $name"
  done
  for round in 1 2 3; do
    dir=$base/round_$round
    mkdir "$dir"
    cp "$base/old/"*.txt "$dir/"
    # LeakSanitizer, in a sanitized build, cannot work under ptrace.
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
      strace -f -o /dev/null -e inject=rename:delay_enter=1000000:when=2 \
      "$tool" compile --dir "$dir" -q >"$dir.out1" 2>&1 &
    first=$!
    for _ in $(seq 200); do
      [ -e "$dir/${binaries[0]}" ] && break
      sleep 0.05
    done
    for name in Cendra_Gelsio2_linea.txt "Cendra_Gelsio2_EC 482-.txt"; do
      cp "$base/new/$name" "$dir/.saving" && mv "$dir/.saving" "$dir/$name"
    done
    status1=0 status2=0
    "$tool" compile --dir "$dir" -q >"$dir.out2" 2>&1 || status2=$?
    wait $first || status1=$?
    [ "$status1" = 0 ] && [ "$status2" = 0 ] ||
      fail "saves round $round: compiles ended with $status1 and $status2"
    check_folder "$dir"
    for name in "${binaries[@]}"; do
      cmp -s "$dir/$name" "$base/new/$name" ||
        fail "saves round $round: $name is not from the saved sources"
    done
  done
else
  echo "saves: skipped (no strace, or it cannot trace here)"
fi

if [ "$failures" != 0 ]; then
  echo "concurrent_runs: $failures failure(s)"
  exit 1
fi
echo "concurrent_runs: passed"
