#!/usr/bin/env bash
# The route viewer in a real browser. Headless Chromium opens, from disk and
# with every host name unresolvable, the page `scenarioc plot -o FILE.html`
# writes for the built-in scenario and for a faulty one, and:
#   - no console message may appear (an uncaught error, a resource the page
#     tried to load);
#   - the viewer's script must have run to its end (data-viewer="ready");
#   - with "#selftest" the page zooms, pans and hovers a signal itself, and
#     must report data-selftest="passed";
#   - the faulty scenario's page must show its banner.
# The check is first run on a copy of the page with a deliberate script error,
# and must fail there: a check that sees nothing never passes.
#
#   tests/route_viewer.sh SCENARIOC OUT [--screenshots]
# The pages (and with --screenshots, PNGs of them) land in OUT. Exits 77
# (skipped) only when chromium is not installed (scripts/setup.sh installs it).
set -euo pipefail
scenarioc="$(realpath "$1")"
out=$2
screenshots=${3:-}
if ! command -v chromium >/dev/null; then
  echo "SKIPPED: chromium is not installed (apt-get install chromium, or scripts/setup.sh)"
  exit 77
fi
rm -rf "$out"
mkdir -p "$out/given" "$out/faulty"
out=$(cd "$out" && pwd)

scenario=(--scenario "Fiumicino Aeroporto_Roma" --train 3291)
"$scenarioc" sources "$out/given" >/dev/null
"$scenarioc" plot "$out/given" "${scenario[@]}" -o "$out/viewer.html" >/dev/null
# A second signal on the cell of the first: status 16, drawn under a banner.
"$scenarioc" sources "$out/faulty" >/dev/null
train="$out/faulty/Fiumicino Aeroporto_Roma_3291-.txt"
sed -i 's/^\(segnale,    1500,.*\)\r$/\1\r\n\1\r/' "$train"
"$scenarioc" plot "$out/faulty" "${scenario[@]}" -o "$out/faulty.html" >/dev/null 2>&1
sed 's/<script>/<script>no_such_function();/' "$out/viewer.html" >"$out/broken.html"

browser() {
  timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run \
    --disable-background-networking --disable-component-update --hide-scrollbars \
    --host-resolver-rules="MAP * ~NOTFOUND" --user-data-dir="$out/profile" \
    --enable-logging=stderr --v=0 "$@"
}

# check_page NAME URL TEXT: the DOM after the scripts ran must hold TEXT, and
# the browser must have logged no console message.
check_page() {
  local name=$1 url=$2 want=$3
  if ! browser --dump-dom "$url" >"$out/$name.dom" 2>"$out/$name.log"; then
    echo "FAIL $name: chromium failed (see $out/$name.log)"
    return 1
  fi
  if grep ':CONSOLE' "$out/$name.log"; then
    echo "FAIL $name: the page wrote to the console"
    return 1
  fi
  if ! grep -q "$want" "$out/$name.dom"; then
    echo "FAIL $name: the page does not hold $want"
    return 1
  fi
  echo "ok   $name"
}

if check_page broken "file://$out/broken.html" 'data-viewer="ready"' >/dev/null; then
  echo "FAIL: the check passes a page with a script error"
  exit 1
fi
echo "ok   a page with a script error is caught"

status=0
check_page viewer "file://$out/viewer.html" 'data-viewer="ready"' || status=1
check_page selftest "file://$out/viewer.html#selftest" 'data-selftest="passed"' || status=1
check_page faulty "file://$out/faulty.html" 'id="status-banner"' || status=1
check_page faulty-ready "file://$out/faulty.html" 'data-viewer="ready"' || status=1

shoot() {
  browser --screenshot="$out/$1.png" --window-size=1240,1000 "file://$out/$2" 2>/dev/null
  if [ ! -s "$out/$1.png" ]; then
    echo "FAIL: no screenshot $out/$1.png"
    status=1
  fi
}
if [ "$screenshots" = --screenshots ]; then
  shoot viewer viewer.html
  shoot zoomed "viewer.html#selftest"
  shoot faulty faulty.html
fi
[ "$status" -eq 0 ] && echo "route viewer: all checks passed; pages in $out"
exit "$status"
