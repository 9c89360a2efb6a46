#!/usr/bin/env bash
# Writes past the process's file size limit (ulimit -f). The OS refuses such
# a write with SIGXFSZ, which ends a process at once, without a word and with
# its temporary file left behind. Here every write path must instead report
# a file fault: a message naming the file, status 2, no temporary file left,
# and the earlier files as they were (the tool's compile and export replace
# their sets whole or not at all).
#
# usage: file_size_limit.sh PATH/TO/genera_scenario [PATH/TO/scenario_tool]
set -euo pipefail
program=$1
tool=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# Runs "$@" under a limit of $1 KiB; sets status and output.
limited() {
  local kib=$1
  shift
  status=0
  output=$( (ulimit -f "$kib" && "$@") 2>&1) || status=$?
}

# $1: what ran; checks status 2, a message about the size, no .tmp in $2.
expect_fault() {
  local what=$1 dir=$2
  [ "$status" = 2 ] || fail "$what: status $status, not 2: $output"
  case $output in
  *"File too large"*) ;;
  *) fail "$what: no message of the fault: $output" ;;
  esac
  if compgen -G "$dir/*.tmp" >/dev/null; then
    fail "$what: temporary file left: $(ls "$dir")"
  fi
}

# The same bytes in every file of folder $2 as in the listing $1.
expect_same() {
  local before=$1 dir=$2 what=$3
  (cd "$dir" && md5sum -c --quiet "$before" >/dev/null 2>&1) ||
    fail "$what: an earlier file changed"
}

# The program: its 2.3 MB profile is over a 1 MiB limit.
mkdir "$work/program"
cp "$program" "$work/program/genera_scenario"
"$work/program/genera_scenario"
(cd "$work/program" && md5sum Cendra* >"$work/program.md5")
limited 1024 "$work/program/genera_scenario"
expect_fault "program" "$work/program"
# A run replaces each file whole or not at all: the files it did not reach
# are the earlier ones, and the ones it reached are complete.
expect_same "$work/program.md5" "$work/program" "program"

if [ -n "$tool" ]; then
  dir=$work/tool
  mkdir "$dir"
  "$tool" export --dir "$dir" >/dev/null
  "$tool" compile --dir "$dir" -q
  # An edit, so that the new build differs from the old.
  sed -i 's/^velocita,    1700,    75/velocita,    1700,    80/' \
    "$dir/Cendra_Gelsio2_EC 482-.txt"
  grep -q '^velocita,    1700,    80' "$dir/Cendra_Gelsio2_EC 482-.txt" ||
    fail "the edit of the train source did not take"
  (cd "$dir" && md5sum Cendra* >"$work/tool.md5")
  limited 1024 "$tool" compile --dir "$dir"
  expect_fault "compile" "$dir"
  expect_same "$work/tool.md5" "$dir" "compile"

  limited 4 "$tool" export --dir "$dir" --force
  expect_fault "export" "$dir"
  expect_same "$work/tool.md5" "$dir" "export"
fi

if [ "$failures" != 0 ]; then
  echo "file_size_limit: $failures failure(s)"
  exit 1
fi
echo "file_size_limit: passed"
