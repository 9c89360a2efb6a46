#!/usr/bin/env bash
# The Windows program, cross-built with mingw-w64 and run under wine, must
# leave exactly the six files the Linux program leaves, byte for byte. It runs
# twice: under Xvfb, so that the wait window is really created and painted,
# and with no display at all, where the window cannot be created and the run
# must still do all its work. Then the platform seam tests run against the
# Windows backend.
#
# Usage: windows_under_wine.sh LINUX_PROGRAM BUILD_DIR
#   LINUX_PROGRAM  the genera_scenario of the Linux build, the reference
#   BUILD_DIR      where the Windows build and the wine prefix are kept, so
#                  that later runs are faster
# Exits 77 (skipped) when the cross toolchain, wine or xvfb-run is missing.
set -euo pipefail

# Runs a Windows program under wine with a time limit: a message box would
# wait for its OK forever. Every wine process of the prefix is gone when it
# returns (under Xvfb: before the display goes), so the next run starts clean.
under_wine() {
  local status=0
  timeout 300 "$wine" "$@" || status=$?
  if [ "$status" = 124 ]; then
    echo "no exit within 300 s (a message box waiting for OK?)"
    "$wineserver" -k || true
  fi
  "$wineserver" -w || true
  return "$status"
}

# xvfb-run can only start a program, not a function: the script calls itself
# with --under-wine to run one under the display.
if [ "${1:-}" = --under-wine ]; then
  shift
  under_wine "$@"
  exit
fi

if [ $# -ne 2 ]; then
  echo "usage: $0 LINUX_PROGRAM BUILD_DIR" >&2
  exit 2
fi
linux_program=$(realpath "$1")
build_dir=$(realpath -m "$2")
script=$(realpath "$0")
source_dir=$(dirname "$(dirname "$script")")

skip() {
  echo "skipped: $1 not installed (apt-get install $2)"
  exit 77
}
for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-objdump; do
  command -v "$tool" >/dev/null ||
    skip "the mingw-w64 cross compiler" g++-mingw-w64-x86-64
done
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || true)
[ -n "$wine" ] || skip "wine" wine64
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || true)
[ -n "$wineserver" ] || skip "wineserver" wine64
command -v xvfb-run >/dev/null || skip "xvfb-run" xvfb
command -v xauth >/dev/null || skip "xauth (needed by xvfb-run)" xauth

# A failing command prints its whole log; a passing one stays quiet.
quietly() {
  local log
  log=$(mktemp)
  if ! "$@" >"$log" 2>&1; then
    cat "$log"
    rm -f "$log"
    echo "FAILED: $*"
    return 1
  fi
  rm -f "$log"
}

echo "== cross-build the Windows program"
windows_build=$build_dir/build
targets=(genera_scenario)
gtest_args=()
if [ -f /usr/src/googletest/CMakeLists.txt ]; then
  gtest_args=(-DGTEST_SOURCE_DIR=/usr/src/googletest)
  targets+=(platform_tests)
fi
quietly cmake -S "$source_dir" -B "$windows_build" \
  -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTS=OFF "${gtest_args[@]}"
quietly cmake --build "$windows_build" -j2 --target "${targets[@]}"
windows_program=$windows_build/genera_scenario.exe

failures=0
echo "== the program needs no DLL of the toolchain"
# The runtime DLLs of mingw-w64 (libstdc++-6, libgcc_s_seh-1,
# libwinpthread-1) are not on a user's machine; Windows' own DLLs never start
# with "lib".
imports=$(x86_64-w64-mingw32-objdump -p "$windows_program" |
  sed -n 's/^[[:space:]]*DLL Name: //p')
if [ -z "$imports" ] || printf '%s\n' "$imports" | grep -q -i '^lib'; then
  echo "FAILED: the program imports:"
  printf '  %s\n' "$imports"
  failures=$((failures + 1))
fi

export WINEPREFIX=$build_dir/wineprefix
export WINEDEBUG=-all
# No Mono or Gecko installer when the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export wine wineserver

if [ ! -d "$WINEPREFIX" ]; then
  echo "== create the wine prefix (once)"
  quietly under_wine wineboot --init
fi

echo "== run the Linux program for the reference files"
mkdir "$work/linux"
cp "$linux_program" "$work/linux/"
linux_name=$(basename "$linux_program")
if ! (cd "$work/linux" && "./$linux_name"); then
  echo "FAILED: the Linux program itself failed; nothing to compare with"
  exit 1
fi
expected=$(cd "$work/linux" && ls -A | grep -v -x -F "$linux_name")
if [ "$(printf '%s\n' "$expected" | wc -l)" != 6 ]; then
  echo "FAILED: the Linux program left other than six files:"
  printf '  %s\n' "$expected"
  exit 1
fi

# Checks that the Windows program in $1 left exactly the reference files, with
# the same bytes.
compare_with_linux() {
  local dir=$1 name
  local left
  left=$(cd "$dir" && ls -A | grep -v -x -F genera_scenario.exe)
  if [ "$left" != "$expected" ]; then
    echo "FAILED: the files differ from the Linux run's"
    echo "Linux:"
    printf '  %s\n' "$expected"
    echo "Windows:"
    printf '  %s\n' "$left"
    failures=$((failures + 1))
    return
  fi
  while IFS= read -r name; do
    if ! cmp "$work/linux/$name" "$dir/$name"; then
      echo "FAILED: $name differs from the Linux run's"
      failures=$((failures + 1))
    fi
  done <<<"$expected"
}

# Runs the Windows program in a fresh directory that holds only it; $1 names
# the check, the rest is the launcher (if any) around the run.
run_windows_program() {
  local check=$1
  shift
  local dir=$work/$check
  mkdir "$dir"
  cp "$windows_program" "$dir/"
  local status=0
  (cd "$dir" && "$@" bash "$script" --under-wine ./genera_scenario.exe) ||
    status=$?
  if [ "$status" != 0 ]; then
    echo "FAILED: exit status $status, expected 0"
    failures=$((failures + 1))
  fi
  compare_with_linux "$dir"
}

echo "== run the Windows program under Xvfb (the window is created)"
run_windows_program with_display xvfb-run -a

echo "== run the Windows program without a display (no window)"
run_windows_program without_display

echo "== run the Windows program with links planted at the names it writes"
# A link at each file's name and at the fixed temporary name of earlier
# builds (name + ".tmp"), each to a file of its own outside the folder: no
# write may go through one, and every output must end as a regular file.
planted=$work/planted
mkdir "$planted" "$work/victims"
while IFS= read -r name; do
  for link in "$name" "$name.tmp"; do
    echo precious >"$work/victims/$link"
    ln -s "$work/victims/$link" "$planted/$link"
  done
done < <(printf '%s\n' "$expected" Cendra_Gelsio2_linea.txt "Cendra_Gelsio2_EC 482-.txt")
cp "$windows_program" "$planted/"
status=0
(cd "$planted" && bash "$script" --under-wine ./genera_scenario.exe) || status=$?
if [ "$status" != 0 ]; then
  echo "FAILED: with planted links, exit status $status, expected 0"
  failures=$((failures + 1))
fi
for victim in "$work/victims"/*; do
  if [ "$(cat "$victim")" != precious ]; then
    echo "FAILED: written through a planted link: ${victim##*/}"
    failures=$((failures + 1))
  fi
done
for link in "$planted"/*.tmp; do
  if [ ! -L "$link" ]; then
    echo "FAILED: the planted link ${link##*/} was replaced"
    failures=$((failures + 1))
  fi
  rm -f "$link"
done
while IFS= read -r name; do
  if [ -L "$planted/$name" ] || [ ! -f "$planted/$name" ]; then
    echo "FAILED: $name is not a regular file"
    failures=$((failures + 1))
  fi
done <<<"$expected"
compare_with_linux "$planted"

if [ ${#gtest_args[@]} -gt 0 ]; then
  echo "== platform seam tests against the Windows backend"
  # One test looks for the Linux test binary by its name; the two runs above
  # show that the Windows program finds its own directory.
  linux_only=platform.executable_directory_is_where_the_test_binary_lives
  if ! (cd "$work" && under_wine "$windows_build/platform_tests.exe" \
    "--gtest_filter=-$linux_only"); then
    echo "FAILED: platform seam tests"
    failures=$((failures + 1))
  fi
else
  echo "== platform seam tests left out: no /usr/src/googletest (libgtest-dev)"
fi

if [ "$failures" != 0 ]; then
  echo "windows_under_wine: $failures failure(s)"
  exit 1
fi
echo "windows_under_wine: passed"
