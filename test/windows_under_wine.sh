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
# backslashes) given as --dir. Its view is started under wine and fetched
# from the Linux side.
#
# Usage: windows_under_wine.sh LINUX_PROGRAM BUILD_DIR [LINUX_TOOL]
#   LINUX_PROGRAM  the genera_scenario of the Linux build, the reference
#   BUILD_DIR      where the Windows build and the wine prefix are kept, so
#                  that later runs are faster
#   LINUX_TOOL     the scenario_tool of the Linux build, the reference
# Exits 77 (skipped) when the cross toolchain, wine or xvfb-run is missing.
# The view is left out, and says so, without curl.
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
view_left_out=""
command -v curl >/dev/null || view_left_out="no curl (apt-get install curl)"

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
# A view still running when the script ends (a failed check) is stopped,
# with every wine process of the prefix.
running_views=()
stop_everything() {
  local pid
  for pid in "${running_views[@]}"; do
    kill -KILL "$pid" 2>/dev/null || true
  done
  if [ ${#running_views[@]} -gt 0 ]; then
    "$wineserver" -k 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap stop_everything EXIT

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

if [ -n "$linux_tool" ] && [ -n "$view_left_out" ]; then
  echo "== the view under wine left out: $view_left_out"
elif [ -n "$linux_tool" ]; then
  echo "== the view under wine, fetched from the Linux side"
  # An author starts `scenario_tool.exe view` in the folder of the sources
  # and opens the page in a browser. Wine's sockets are the host's, so curl
  # on this side is that browser. The server must listen on the loopback
  # address alone, refuse what it does not serve, follow an edited source,
  # and answer as the Linux view of the same sources does, byte for byte.
  # Ctrl-C (SIGINT, which wine hands to the program as a console Ctrl-C)
  # stops it with status 0.
  view_windows=$work/view-windows
  view_linux=$work/view-linux
  mkdir "$view_windows" "$view_linux"
  "$linux_tool" export --dir "$view_windows" >/dev/null
  "$linux_tool" export --dir "$view_linux" >/dev/null

  # Starts the view (the program and its arguments before the command) in
  # folder $2 on any free port and waits for the address it prints, a
  # minute at most (wine starts slowly); sets view_pid and view_port.
  start_view() {
    local name=$1 dir=$2 i
    shift 2
    (cd "$dir" && exec "$@" view --port 0) >"$work/$name.out" \
      2>"$work/$name.err" &
    view_pid=$!
    running_views+=("$view_pid")
    view_port=""
    for i in $(seq 600); do
      view_port=$(sed -n 's|^serving .* at http://127\.0\.0\.1:\([0-9]*\)/ (Ctrl-C stops)$|\1|p' \
        "$work/$name.out" 2>/dev/null)
      [ -n "$view_port" ] && return 0
      kill -0 "$view_pid" 2>/dev/null || break
      sleep 0.1
    done
    echo "FAILED: $name: no address on 127.0.0.1 printed"
    cat "$work/$name.out" "$work/$name.err"
    failures=$((failures + 1))
    return 1
  }
  # Ctrl-C, then the view must end within 20 s with status 0.
  stop_view() {
    local name=$1 pid=$2 i status=0 left=()
    kill -INT "$pid" 2>/dev/null || true
    for i in $(seq 200); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
      echo "FAILED: $name: still running 20 s after Ctrl-C"
      kill -KILL "$pid"
      failures=$((failures + 1))
    fi
    wait "$pid" || status=$?
    for i in "${running_views[@]}"; do
      [ "$i" = "$pid" ] || left+=("$i")
    done
    running_views=("${left[@]}")
    if [ "$status" != 0 ]; then
      echo "FAILED: $name: exit status $status after Ctrl-C, expected 0"
      cat "$work/$name.err"
      failures=$((failures + 1))
    fi
  }
  # The local addresses listening on port $1, as /proc/net/tcp writes them
  # (0100007F is 127.0.0.1, 00000000 any address).
  listeners() {
    awk -v port="$(printf '%04X' "$1")" \
      '$4 == "0A" { split($2, a, ":"); if (a[2] == port) print a[1] }' \
      /proc/net/tcp /proc/net/tcp6
  }
  # GET $2 from the view on port $1 into file $3; prints the status.
  fetch() {
    curl -s --max-time 20 -o "$3" -w '%{http_code}' "http://127.0.0.1:$1$2" ||
      true
  }
  # The model's version, as the view on port $1 serves it.
  model_version() {
    curl -s --max-time 20 "http://127.0.0.1:$1/model.json" |
      python3 -c 'import json, sys; print(json.load(sys.stdin)["version"])' ||
      true
  }
  # Moves station 25000 of the train source in folder $1 off the 50 m grid
  # (error 8), then waits up to 10 s for the view on port $2 to compile it.
  break_station_and_wait() {
    sed -i 's/^stazione,   25000,/stazione,   25020,/' \
      "$1/Cendra_Gelsio2_EC 482-.txt"
    for i in $(seq 100); do
      [ "$(model_version "$2")" = 2 ] && break
      sleep 0.1
    done
  }

  if start_view view_windows "$view_windows" "$wine" "$windows_tool"; then
    windows_port=$view_port
    windows_pid=$view_pid
    if [ "$(listeners "$windows_port")" != 0100007F ]; then
      echo "FAILED: the Windows view listens on other than 127.0.0.1 alone:"
      listeners "$windows_port"
      failures=$((failures + 1))
    fi
    # What the server answers to, by path, Host and method; a method but
    # GET sends an empty body, as a browser does.
    while read -r path host method expected note; do
      body=()
      [ "$method" = GET ] || body=(--data-binary '')
      got=$(curl -s --max-time 20 --path-as-is -o /dev/null -w '%{http_code}' \
        -X "$method" "${body[@]}" -H "Host: $host:$windows_port" \
        "http://127.0.0.1:$windows_port$path" || true)
      if [ "$got" != "$expected" ]; then
        echo "FAILED: view: $method $path (Host $host, $note): status $got," \
          "expected $expected"
        failures=$((failures + 1))
      fi
    done <<'REQUESTS'
/                      127.0.0.1     GET  200  the page
/                      localhost     GET  200  the page by name
/plot.svg?from=0&to=5000 127.0.0.1   GET  200  a picture
/                      rebound.test  GET  421  a name that is not the server's
/../index.html         127.0.0.1     GET  400  a path that climbs
/%2E%2e/index.html     127.0.0.1     GET  400  one that climbs encoded
/Cendra_Gelsio2_linea.txt 127.0.0.1  GET  404  a source is never served
/model.json            127.0.0.1     POST 405  only GET and HEAD
/                      127.0.0.1     TRACE 405 nor any other method
REQUESTS

    # The page, the model and a picture, before and after an edit that
    # puts a station off the 50 m grid (error 8): the version goes up, the
    # diagnostic shows, the picture is marked stale, and the event stream
    # the page listens to names the new version.
    (exec curl -s -N --max-time 60 "http://127.0.0.1:$windows_port/events" \
      >"$work/view_events") &
    events_pid=$!
    first=(/ /model.json "/plot.svg?from=10000&to=30000&width=1000")
    for i in "${!first[@]}"; do
      status=$(fetch "$windows_port" "${first[$i]}" "$work/view_windows.$i")
      if [ "$status" != 200 ] || [ ! -s "$work/view_windows.$i" ]; then
        echo "FAILED: view: ${first[$i]}: status $status"
        failures=$((failures + 1))
      fi
    done
    if ! grep -q '"version":1,' "$work/view_windows.1"; then
      echo "FAILED: view: the first model is not version 1"
      failures=$((failures + 1))
    fi
    break_station_and_wait "$view_windows" "$windows_port"
    status=$(fetch "$windows_port" /model.json "$work/view_windows.3")
    if ! python3 - "$work/view_windows.3" <<'PY'; then
import json, sys
m = json.load(open(sys.argv[1]))
codes = [(d.get("code"), d["line"]) for d in m["diagnostics"]]
assert m["version"] == 2 and m["stale"] and codes == [(8, 30)], (m["version"], m["stale"], codes)
PY
      echo "FAILED: view: the model did not follow the edit (status $status)"
      failures=$((failures + 1))
    fi
    for i in $(seq 50); do
      grep -q '^data: 2$' "$work/view_events" && break
      sleep 0.1
    done
    kill "$events_pid" 2>/dev/null || true
    wait "$events_pid" || true
    if [ "$(grep '^data: ' "$work/view_events")" != $'data: 1\ndata: 2' ]; then
      echo "FAILED: view: the event stream did not name versions 1 and 2:"
      head -c 500 "$work/view_events"
      failures=$((failures + 1))
    fi

    stop_view view_windows "$windows_pid"
    if [ -n "$(listeners "$windows_port")" ]; then
      echo "FAILED: the Windows view's port is still open after it stopped"
      failures=$((failures + 1))
    fi
    # Every wine process of the prefix ends with it.
    if ! timeout 60 "$wineserver" -w; then
      echo "FAILED: wine processes left 60 s after the view stopped"
      failures=$((failures + 1))
    fi

    if start_view view_linux "$view_linux" "$linux_tool"; then
      linux_pid=$view_pid
      for i in "${!first[@]}"; do
        fetch "$view_port" "${first[$i]}" "$work/view_linux.$i" >/dev/null
      done
      break_station_and_wait "$view_linux" "$view_port"
      fetch "$view_port" /model.json "$work/view_linux.3" >/dev/null
      stop_view view_linux "$linux_pid"
      compared=("${first[@]}" "/model.json after the edit")
      for i in "${!compared[@]}"; do
        if ! cmp -s "$work/view_linux.$i" "$work/view_windows.$i"; then
          echo "FAILED: view: ${compared[$i]} differs from the Linux view's"
          diff <(head -c 2000 "$work/view_linux.$i") \
            <(head -c 2000 "$work/view_windows.$i") | head -10
          failures=$((failures + 1))
        fi
      done
    fi
  fi
fi

if [ "$failures" != 0 ]; then
  echo "windows_under_wine: $failures failure(s)"
  exit 1
fi
echo "windows_under_wine: passed"
