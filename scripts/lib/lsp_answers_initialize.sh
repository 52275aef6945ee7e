#!/usr/bin/env bash
# Starts `scenarioc lsp`, alone or through a runner such as Wine, sends
# initialize, shutdown and exit, and checks the answers byte for byte where it
# matters: each reply framed with its exact Content-Length, the initialize
# result with the server's capabilities, a null shutdown result, and exit
# status 0.
#   scripts/lib/lsp_answers_initialize.sh [RUNNER...] SCENARIOC
set -euo pipefail
export LC_ALL=C  # lengths in bytes

frame() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
{
  frame '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"processId":null,"rootUri":null,"capabilities":{}}}'
  frame '{"jsonrpc":"2.0","method":"initialized","params":{}}'
  frame '{"jsonrpc":"2.0","id":2,"method":"shutdown"}'
  frame '{"jsonrpc":"2.0","method":"exit"}'
} >"$work/in"

status=0
timeout 120 "$@" lsp <"$work/in" >"$work/out" 2>"$work/err" || status=$?
fail() {
  echo "FAIL: scenarioc lsp: $1"
  echo "-- its output:"; cat -v "$work/out"; echo
  echo "-- its errors:"; cat "$work/err"
  exit 1
}
[ "$status" -eq 0 ] || fail "ended with status $status"

# Splits the output into its messages by their headers.
out="$(cat "$work/out"; echo .)"
out="${out%.}"
bodies=()
while [ -n "$out" ]; do
  header="${out%%$'\r\n\r\n'*}"
  [ "$header" != "$out" ] || fail "a reply without a header end"
  [[ "$header" =~ ^Content-Length:\ ([0-9]+)$ ]] || fail "a bad header: $header"
  length="${BASH_REMATCH[1]}"
  rest="${out#*$'\r\n\r\n'}"
  [ "${#rest}" -ge "$length" ] || fail "a reply shorter than its Content-Length"
  bodies+=("${rest:0:$length}")
  out="${rest:$length}"
done

[ "${#bodies[@]}" -eq 2 ] || fail "expected 2 replies, got ${#bodies[@]}"
case "${bodies[0]}" in
  '{"id":1,"jsonrpc":"2.0","result":{"capabilities":{'*'"positionEncoding":"utf-16"'*'"textDocumentSync":{"change":1,"openClose":true'*) ;;
  *) fail "the initialize reply: ${bodies[0]}" ;;
esac
[ "${bodies[1]}" = '{"id":2,"jsonrpc":"2.0","result":null}' ] || fail "the shutdown reply: ${bodies[1]}"
echo "PASS: scenarioc lsp answers initialize ($*)"
