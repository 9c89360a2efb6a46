#!/usr/bin/env bash
# The program as a user runs it: copied alone into an empty directory and
# started twice. Each run must end with status 0 and leave exactly the six
# files beside the executable, with the sizes we know and the same bytes both
# times; the SHA-256 of each file guards against any unnoticed change.
#
# usage: whole_run.sh PATH/TO/genera_scenario
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expected_names="Cendra_Gelsio2_EC 482.dat
Cendra_Gelsio2_EC 482.sim
Cendra_Gelsio2_EC 482_note.txt
Cendra_Gelsio2_EC 482_rallentamenti.txt
Cendra_Gelsio2_EC 482_scheda_treno.txt
Cendra_Gelsio2_linea.dat
genera_scenario"

# name|size|sha256
expected_files=(
  "Cendra_Gelsio2_EC 482.dat|34515|758e4a0ca74ff3c7395a269797206d08aec1c3521984e1a1c684afebf0de2428"
  "Cendra_Gelsio2_EC 482.sim|3372|86c28dab328c855707518696d3b10a0f13303951d403f0c4057a526957f2c47c"
  "Cendra_Gelsio2_EC 482_note.txt|0|e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"
  "Cendra_Gelsio2_EC 482_rallentamenti.txt|3283|3309db203696c79ee4d65fae32d4eacb0481546556cde26e9ad1ff72f4a65cff"
  "Cendra_Gelsio2_EC 482_scheda_treno.txt|4411|0b6ecb0ce2fb726decbb70a1c20a4c3c0a504684311fa995de151b52cb049026"
  "Cendra_Gelsio2_linea.dat|2299964|8f91ad7f2e2866abf9b0e3680f63a997491b6ba7279de87d691d871e647e8483"
)

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

for run in first second; do
  dir=$work/$run
  mkdir "$dir"
  cp "$program" "$dir/genera_scenario"
  # Started from elsewhere: the files go beside the executable, not into the
  # working directory.
  status=0
  (cd "$work" && "$dir/genera_scenario") || status=$?
  [ "$status" = 0 ] || fail "$run run: exit status $status"
  names=$(cd "$dir" && ls -1 | LC_ALL=C sort)
  [ "$names" = "$expected_names" ] || fail "$run run left: $names"
  for entry in "${expected_files[@]}"; do
    IFS='|' read -r name size sum <<<"$entry"
    [ -f "$dir/$name" ] || continue
    actual_size=$(stat -c %s "$dir/$name")
    [ "$actual_size" = "$size" ] || fail "$name: $actual_size bytes, expected $size"
    actual_sum=$(sha256sum "$dir/$name" | cut -d ' ' -f 1)
    [ "$actual_sum" = "$sum" ] || fail "$name: sha256 $actual_sum"
  done
done
[ "$(ls "$work")" = "first
second" ] || fail "files written outside the executable's directory"
for entry in "${expected_files[@]}"; do
  IFS='|' read -r name _ _ <<<"$entry"
  cmp -s "$work/first/$name" "$work/second/$name" ||
    fail "$name differs between two runs"
done

if [ "$failures" != 0 ]; then
  echo "whole_run: $failures failure(s)"
  exit 1
fi
echo "whole_run: passed"
