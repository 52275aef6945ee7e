#!/usr/bin/env bash
# A real editor against `scenarioc lsp`: headless Neovim (its built-in LSP
# client) opens a train source with a second signal at 1500 m, and the check
# reads back the diagnostic Neovim holds: at the position field of that
# line, status 16, and gone once the line is deleted in the buffer.
#   tests/lsp_neovim.sh SCENARIOC
# Exits 77 (skipped) only when nvim is not installed (scripts/setup.sh
# installs it).
set -euo pipefail
scenarioc="$(realpath "$1")"
here="$(cd "$(dirname "$0")" && pwd)"
if ! command -v nvim >/dev/null; then
  echo "SKIPPED: nvim is not installed (apt-get install neovim, or scripts/setup.sh)"
  exit 77
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$scenarioc" sources "$work" >/dev/null
train="$work/Fiumicino Aeroporto_Roma_3291-.txt"
# The faulty line right after the first signal.
sed -i 's/^\(segnale,    1500,.*\)\r$/\1\r\n\1\r/' "$train"
line=$(grep -n '^segnale,    1500,' "$train" | sed -n 2p | cut -d: -f1)
before="$(cd "$work" && sha256sum ./*)"

status=0
LSP_SERVER="$scenarioc" LSP_TRAIN_SOURCE="$train" LSP_FAULT_LINE=$((line - 1)) \
  LSP_FAULT_COLUMN=12 LSP_FAULT_END=16 LSP_FAULT_CODE=16 \
  timeout 60 nvim --headless --clean -n -i NONE -c "luafile $here/lsp_neovim.lua" </dev/null \
  || status=$?
echo
if [ "$status" -ne 0 ]; then
  echo "FAIL: the Neovim check ended with status $status"
  exit 1
fi
if [ "$(cd "$work" && sha256sum ./*)" != "$before" ]; then
  echo "FAIL: the folder changed"
  exit 1
fi
echo "PASS: Neovim shows the fault at its field and clears it"
