#!/usr/bin/env bash
# What CI does, runnable before a commit: format check, whitespace check, the
# README's test command, the test suite under the sanitizers, and each fuzz
# target for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== whitespace"
bad=0
# Fuzz inputs are data, kept byte for byte (CR LF, no final newline).
while IFS= read -r f; do
  if grep -n -I -E ' +$' "$f" >/dev/null; then echo "trailing blanks: $f"; bad=1; fi
  if grep -q -I $'\r' "$f"; then echo "CR in source: $f"; bad=1; fi
  if [ -s "$f" ] && [ "$(tail -c 1 "$f" | od -An -c | tr -d ' ')" != '\n' ]; then
    echo "no final newline: $f"; bad=1
  fi
done < <(git ls-files | grep -v -E '\.(png|svg)$|^fuzz/(corpus|regressions)/')
[ "$bad" = 0 ]

echo "== build and test"
bash tools/install_deps.sh && cmake -S . -B build && cmake --build build -j2 && ctest --test-dir build --output-on-failure

echo "== sanitizers"
cmake -S . -B build-sanitize -DSANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
cmake --build build-sanitize -j2
ctest --test-dir build-sanitize --output-on-failure

echo "== fuzzing"
bash fuzz/run_fuzzers.sh 60
