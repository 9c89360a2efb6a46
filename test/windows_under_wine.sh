#!/usr/bin/env bash
# The Windows program, cross-built with mingw-w64 and run under wine, must
# leave exactly the six files the Linux program leaves, byte for byte. It runs
# twice: under Xvfb, so that the wait window is really created and painted,
# and with no display at all, where the window cannot be created and the run
# must still do all its work. Then the platform seam tests run against the
# Windows backend.
#
# With LINUX_TOOL, the authors' tool is cross-built too, and its export,
# compile, check and dump must give the files and messages of the Linux tool,
# apart from the path separator, with a Windows path (drive letter,
# backslashes) given as --dir.
#
# Usage: windows_under_wine.sh LINUX_PROGRAM BUILD_DIR [LINUX_TOOL]
#   LINUX_PROGRAM  the genera_scenario of the Linux build, the reference
#   BUILD_DIR      where the Windows build and the wine prefix are kept, so
#                  that later runs are faster
#   LINUX_TOOL     the scenario_tool of the Linux build, the reference
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

if [ $# -ne 2 ] && [ $# -ne 3 ]; then
  echo "usage: $0 LINUX_PROGRAM BUILD_DIR [LINUX_TOOL]" >&2
  exit 2
fi
linux_program=$(realpath "$1")
build_dir=$(realpath -m "$2")
linux_tool=""
if [ $# -eq 3 ]; then
  linux_tool=$(realpath "$3")
fi
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
if [ -n "$linux_tool" ]; then
  targets+=(scenario_tool)
fi
quietly cmake -S "$source_dir" -B "$windows_build" \
  -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTS=OFF "${gtest_args[@]}"
quietly cmake --build "$windows_build" -j2 --target "${targets[@]}"
windows_program=$windows_build/genera_scenario.exe

failures=0
windows_tool=$windows_build/tool/scenario_tool.exe
if [ -n "$linux_tool" ] && [ ! -f "$windows_tool" ]; then
  echo "FAILED: no $windows_tool: the tool was not cross-built (are CLI11"
  echo "and nlohmann-json installed: libcli11-dev nlohmann-json3-dev?)"
  exit 1
fi

# The runtime DLLs of mingw-w64 (libstdc++-6, libgcc_s_seh-1,
# libwinpthread-1) are not on a user's machine; Windows' own DLLs never start
# with "lib".
needs_no_toolchain_dll() {
  local imports
  imports=$(x86_64-w64-mingw32-objdump -p "$1" |
    sed -n 's/^[[:space:]]*DLL Name: //p')
  if [ -z "$imports" ] || printf '%s\n' "$imports" | grep -q -i '^lib'; then
    echo "FAILED: $(basename "$1") imports:"
    printf '  %s\n' "$imports"
    failures=$((failures + 1))
  fi
}
echo "== the program needs no DLL of the toolchain"
needs_no_toolchain_dll "$windows_program"
if [ -n "$linux_tool" ]; then
  echo "== nor does the tool"
  needs_no_toolchain_dll "$windows_tool"
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

if [ -n "$linux_tool" ]; then
  echo "== the authors' tool under wine, against the Linux tool"
  tool_linux=$work/tool-linux
  tool_windows=$work/tool-windows
  mkdir "$tool_linux" "$tool_windows"
  # The folder as a Windows user names it: a drive letter and backslashes.
  windows_dir=$("$wine" winepath -w "$tool_windows" 2>/dev/null | tr -d '\r')
  "$wineserver" -w || true
  if [ -z "$windows_dir" ]; then
    echo "FAILED: winepath gave no Windows path for $tool_windows"
    failures=$((failures + 1))
  fi

  # Runs both tools with the same arguments after the command, each on its
  # own folder (the Windows one by its Windows path), and checks the exit
  # statuses, the standard output and the error stream: the same, once the
  # folders are the same text. $1 names the step.
  both_tools() {
    local step=$1 command=$2
    shift 2
    local linux_status=0 windows_status=0
    "$linux_tool" "$command" --dir "$tool_linux" "$@" \
      >"$work/$step.linux.out" 2>"$work/$step.linux.err" || linux_status=$?
    under_wine "$windows_tool" "$command" --dir "$windows_dir" "$@" \
      >"$work/$step.windows.out" 2>"$work/$step.windows.err" ||
      windows_status=$?
    if [ "$linux_status" != "$windows_status" ]; then
      echo "FAILED: $step: exit status $windows_status, Linux $linux_status"
      cat "$work/$step.windows.err"
      failures=$((failures + 1))
    fi
    local stream windows_text linux_text
    for stream in out err; do
      # The Windows tool shows files under the folder as given, joined with
      # a backslash; with that one difference the texts are the same.
      windows_text=$(cat "$work/$step.windows.$stream")
      windows_text=${windows_text//"$windows_dir\\"/"$tool_linux/"}
      # In JSON each backslash is written twice.
      windows_text=${windows_text//"${windows_dir//\\/\\\\}\\\\"/"$tool_linux/"}
      linux_text=$(cat "$work/$step.linux.$stream")
      if [ "$linux_text" != "$windows_text" ]; then
        echo "FAILED: $step: standard $stream differs from the Linux tool's"
        diff <(printf '%s\n' "$linux_text") <(printf '%s\n' "$windows_text") |
          head -20
        failures=$((failures + 1))
      fi
    done
  }
  # The files of both folders, byte for byte.
  same_files() {
    local step=$1 name
    shift
    for name in "$@"; do
      if ! cmp -s "$tool_linux/$name" "$tool_windows/$name"; then
        echo "FAILED: $step: $name differs from the Linux tool's"
        failures=$((failures + 1))
      fi
    done
  }
  sources=(Cendra_Gelsio2_linea.txt "Cendra_Gelsio2_EC 482-.txt")
  binaries=(Cendra_Gelsio2_linea.dat "Cendra_Gelsio2_EC 482.sim"
    "Cendra_Gelsio2_EC 482.dat")
  both_tools export export
  same_files export "${sources[@]}" "Cendra_Gelsio2_EC 482_note.txt" \
    "Cendra_Gelsio2_EC 482_rallentamenti.txt" \
    "Cendra_Gelsio2_EC 482_scheda_treno.txt"
  both_tools compile compile
  same_files compile "${binaries[@]}"
  # Two mistakes in the train source: every error, its source line and its
  # note, as the Linux tool shows them.
  for dir in "$tool_linux" "$tool_windows"; do
    sed -i -e 's/^stazione,   25000,/stazione,   25020,/' \
      -e 's/^segnale,    5000,   2, 4/segnale,    2000,   2, 4/' \
      "$dir/Cendra_Gelsio2_EC 482-.txt"
  done
  both_tools check check
  both_tools check_json check --diagnostics-format=json
  both_tools failed_compile compile
  same_files failed_compile "${binaries[@]}"
  # dump reads files by path: the Windows tool gets a Windows path.
  linux_status=0
  windows_status=0
  "$linux_tool" dump "$tool_linux/Cendra_Gelsio2_EC 482.sim" \
    >"$work/dump.linux" || linux_status=$?
  under_wine "$windows_tool" dump "$windows_dir\\Cendra_Gelsio2_EC 482.sim" \
    >"$work/dump.windows" || windows_status=$?
  sed -i "1s|.*Cendra_Gelsio2_EC 482.sim:|Cendra_Gelsio2_EC 482.sim:|" \
    "$work/dump.linux" "$work/dump.windows"
  if [ "$linux_status$windows_status" != 00 ] ||
    ! cmp -s "$work/dump.linux" "$work/dump.windows"; then
    echo "FAILED: dump differs from the Linux tool's"
    diff "$work/dump.linux" "$work/dump.windows" | head -20
    failures=$((failures + 1))
  fi

  echo "== the language server under wine"
  # An editor on Windows names the file with a drive letter, its colon
  # escaped. The server answers initialize, publishes the errors of the
  # opened line source and, named as the editor names the open one, of the
  # train source beside it, and ends with status 0 after shutdown and exit.
  # The protocol is binary: every answer is framed with exactly its bytes.
  frame() { printf 'Content-Length: %d\r\n\r\n%s' "$(printf '%s' "$1" | wc -c)" "$1"; }
  line_text=$(sed -e 's/\\/\\\\/g' -e 's/"/\\"/g' -e 's/\r$//' \
    "$tool_windows/Cendra_Gelsio2_linea.txt" | awk '{printf "%s\\r\\n", $0}')
  line_text=${line_text//curvad3,  1900/curvad9,  1900}
  folder_uri="file:///${windows_dir:0:1}%3A$(printf '%s' "${windows_dir:2}" | tr '\\' /)"
  line_uri="$folder_uri/Cendra_Gelsio2_linea.txt"
  lsp_status=0
  {
    frame '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}}'
    frame '{"jsonrpc":"2.0","method":"initialized","params":{}}'
    frame '{"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"'"$line_uri"'","languageId":"scenario","version":1,"text":"'"$line_text"'"}}}'
    frame '{"jsonrpc":"2.0","id":2,"method":"shutdown"}'
    frame '{"jsonrpc":"2.0","method":"exit"}'
  } | under_wine "$windows_tool" lsp >"$work/lsp.windows" || lsp_status=$?
  lsp_answers=$(cat "$work/lsp.windows")
  lsp_fail() {
    echo "FAILED: language server: $1"
    printf '%s\n' "$lsp_answers" | head -c 2000
    failures=$((failures + 1))
  }
  [ "$lsp_status" = 0 ] || lsp_fail "status $lsp_status"
  grep -q '"hoverProvider":true' <<<"$lsp_answers" || lsp_fail "no capabilities"
  grep -q '"code":103,"message":"a curve row names no curve class' \
    <<<"$lsp_answers" || lsp_fail "no error 103 in the opened source"
  grep -q '"uri":"'"$folder_uri"'/Cendra_Gelsio2_EC%20482-.txt"' \
    <<<"$lsp_answers" || lsp_fail "the train source is not named as the editor names files"
  grep -q '"id":2,"jsonrpc":"2.0","result":null' <<<"$lsp_answers" ||
    lsp_fail "no answer to shutdown"
  # Each frame's length is the length of what follows it.
  python3 - "$work/lsp.windows" <<'PY' || lsp_fail "a frame of the wrong length"
import sys
data = open(sys.argv[1], 'rb').read()
while data:
    head, _, rest = data.partition(b'\r\n\r\n')
    length = int(head.split(b':')[1])
    body, data = rest[:length], rest[length:]
    assert body.endswith(b'}') and (not data or data.startswith(b'Content-Length'))
PY
fi

if [ "$failures" != 0 ]; then
  echo "windows_under_wine: $failures failure(s)"
  exit 1
fi
echo "windows_under_wine: passed"
