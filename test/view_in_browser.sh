#!/usr/bin/env bash
# The page of scenario_tool view in Chromium (test/browser/view_page.mjs).
# Skips (77) when Chromium or Node is missing, or puppeteer-core is not
# installed and cannot be (npm ci in test/browser; .ci/run does it).
#
#   view_in_browser.sh TOOL LONG_LINE_SOURCES WORK_DIR
set -euo pipefail
tool=$1 long_line_sources=$2 work=$3
here=$(cd "$(dirname "$0")/browser" && pwd)
chromium=${CHROMIUM:-$(command -v chromium || true)}
if [ -z "$chromium" ] || ! command -v node >/dev/null; then
  echo "view_in_browser: Chromium or Node is missing; skipped"
  exit 77
fi
if [ ! -d "$here/node_modules/puppeteer-core" ]; then
  if ! command -v npm >/dev/null ||
     ! (cd "$here" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund >/dev/null); then
    echo "view_in_browser: puppeteer-core is not installed (npm ci in $here); skipped"
    exit 77
  fi
fi
mkdir -p "$work"
CHROMIUM=$chromium exec node "$here/view_page.mjs" "$tool" "$long_line_sources" "$work"
