#!/usr/bin/env bash
# Makes docs/lsp_diagnostics.png: Neovim in an xterm under Xvfb, attached to
# `scenarioc lsp`, showing a faulty train source with its diagnostics and
# the hover of a field. Needs the gui-check packages, xterm and neovim.
#   scripts/lsp_screenshot.sh [SCENARIOC]
set -euo pipefail
cd "$(dirname "$0")/.."
scenarioc="$(realpath "${1:-build/tools/scenarioc}")"
root="$(pwd)"
work="$(mktemp -d)"
xvfb=""
cleanup() {
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$scenarioc" sources "$work" >/dev/null
train="$work/Fiumicino Aeroporto_Roma_3291-.txt"
# A second signal at 1500 m: the cell is taken.
sed -i 's/^\(segnale,    1500,.*\)\r$/\1\r\n\1\r/' "$train"
line=$(grep -n '^segnale,    1500,' "$train" | sed -n 2p | cut -d: -f1)

cat >"$work/init.lua" <<LUA
vim.opt.termguicolors = false
vim.opt.number = true
vim.opt.signcolumn = 'yes'
vim.opt.fileencodings = 'ucs-bom,utf-8,cp1252'
vim.api.nvim_create_autocmd('VimEnter', { callback = function()
  local client = vim.lsp.start_client({ name = 'scenarioc', cmd = { '$scenarioc', 'lsp' } })
  vim.lsp.buf_attach_client(0, client)
  vim.api.nvim_win_set_cursor(0, { $line, 13 })
  vim.cmd('normal! zz')
  -- Once the diagnostics are in, the hover of the field under the cursor.
  vim.defer_fn(function() vim.lsp.buf.hover() end, 2500)
end })
LUA

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1180x640x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
DISPLAY=$display xterm -geometry 130x32+0+0 -fa 'DejaVu Sans Mono' -fs 11 -bg white -fg black \
  -e nvim --clean -n -i NONE -u "$work/init.lua" "$train" &
sleep 6
DISPLAY=$display import -window root png:- | convert png:- -trim +repage "$root/docs/lsp_diagnostics.png"
kill %2 2>/dev/null || true
echo "docs/lsp_diagnostics.png"
