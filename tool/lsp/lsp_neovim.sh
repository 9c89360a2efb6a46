#!/usr/bin/env bash
# A real editor on the language server: Neovim, headless, with its built-in
# LSP client attached to `scenario_tool lsp` (lsp_neovim.lua), opens an
# exported line source, breaks a curve row and mends it. The diagnostics
# Neovim holds after each step must be exactly these; the folder must hold
# the same files afterwards. Skips (77) when nvim is missing.
#
# usage: lsp_neovim.sh PATH/TO/scenario_tool
set -euo pipefail
tool=$1
if ! command -v nvim >/dev/null; then
  echo "lsp_neovim: nvim not found (Debian: neovim); skipped"
  exit 77
fi
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/scenario"
"$tool" export --dir "$work/scenario" >/dev/null
listing() { find "$work/scenario" -printf '%p %s %T@\n' | sort; }
before=$(listing)

# No configuration, no swap file, no shada: the editor writes nothing.
LSP_TOOL=$tool LSP_SOURCE="$work/scenario/Cendra_Gelsio2_linea.txt" \
  LSP_RESULT="$work/result" HOME="$work" \
  timeout 120 nvim --headless --clean -n -i NONE \
  -c "luafile $here/lsp_neovim.lua" </dev/null >/dev/null 2>"$work/nvim.err" ||
  { echo "lsp_neovim: nvim ended with $?" >&2; cat "$work/result" "$work/nvim.err" >&2 || true; exit 1; }

expected="open: none
broken: 11:10-14 1 103 a curve row names no curve class from 1 to 6, or the plan passes metre 1,000,000
mended: none"
if [ "$(cat "$work/result")" != "$expected" ]; then
  echo "lsp_neovim: Neovim holds other diagnostics:" >&2
  diff <(printf '%s\n' "$expected") "$work/result" >&2 || true
  exit 1
fi
[ "$before" = "$(listing)" ] || { echo "lsp_neovim: the folder changed" >&2; exit 1; }
echo "lsp_neovim: ok"
