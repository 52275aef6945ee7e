#!/usr/bin/env bash
# The checks of the window builds; runs inside an X server (scripts/ci_gui.sh
# starts a headless one). For the Linux build (FLTK) and the Windows build
# (under Wine):
#  - the installer, alone in an empty folder, shows a window captioned "Form1"
#    with a 280 x 179 client area and its label painted while it works, closes
#    it, ends with status 0 and leaves the six files of the reference run;
#  - message_box_probe shows a message box whose text is exactly " Errore n. 1250",
#    with one OK button and no icon; it ends with status 3 once OK is pressed;
#  - message_box_probe --failure, alone in a folder where a folder stands under the
#    route notes' name, runs the installer and shows the platform failure in a
#    box: in Italian, naming that file and the reason, one OK button, an error
#    icon; it ends with status 2 and leaves no source behind;
#  - message_box_probe --packed, with a scenario packed into it by scenarioc pack
#    and then one byte of it flipped, shows the damaged program's box: in
#    Italian, one OK button, an error icon; it ends with status 2 and leaves the
#    folder as it was.
# Two negative controls make sure that the checks fail when nothing is shown.
# Screenshots and reports go to build-gui/gui-check/.
set -euo pipefail
cd "$(dirname "$0")/../.."
root="$(pwd)"
source scripts/lib/installer_files.sh

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  echo "FAIL: no X display to check the windows on (DISPLAY='${DISPLAY:-}')"
  exit 1
fi

out="$root/build-gui/gui-check"
rm -rf "$out"
mkdir -p "$out"
work="$(mktemp -d)"
export WINEPREFIX="${WINEPREFIX:-$HOME/.cache/fiumicino_roma_3291/wine}"
export WINEDEBUG=-all
wm_pid=""
server_started=0
cleanup() {
  if [ "$server_started" -eq 1 ]; then wineserver -k 2>/dev/null || true; fi
  if [ -n "$wm_pid" ]; then kill "$wm_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# A window manager, as on a desktop: without one Wine waits 2 s on every
# closed window.
openbox >"$out/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done

# Wine's first start (the prefix) and its server, once for all checks.
cmake/wine_run.sh cmd /c exit </dev/null >/dev/null 2>&1
wineserver -w
wineserver -p
server_started=1
cmake/wine_run.sh cmd /c exit </dev/null >/dev/null 2>&1

failures=0
failed() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

linux_exe="$root/build-gui/installer/fiumicino_roma_3291"
windows_exe="$root/build-win/installer/fiumicino_roma_3291.exe"
wine_run="$root/cmake/wine_run.sh"

echo "== reference: the Linux installer without a display (the console)"
mkdir "$work/reference"
cp "$linux_exe" "$work/reference/"
if ! (cd / && env -u DISPLAY "$work/reference/fiumicino_roma_3291" >"$out/reference.out"); then
  failed "the Linux installer without a display ended with a failing status"
fi
grep -qx "Attendere" "$out/reference.out" || failed "the console did not show 'Attendere'"
expect_installer_files "$work/reference" fiumicino_roma_3291 || failures=$((failures + 1))

watch_window() {  # NAME FOLDER COMMAND...
  local name="$1" folder="$2"
  shift 2
  timeout 300 "$root/build-gui/tests/window/window_watch" --folder "$folder" --caption Form1 \
    --size 280x179 --text-area 64,64,177,53 --shot "$out/$name-window.ppm" -- "$@" \
    >"$out/$name-window.txt" 2>&1
  local status=$?
  sed 's/^/  /' "$out/$name-window.txt"
  if [ -f "$out/$name-window.ppm" ]; then
    convert "$out/$name-window.ppm" "$out/$name-window.png" && rm "$out/$name-window.ppm"
  fi
  return "$status"
}

window_check() {  # NAME EXECUTABLE [RUNNER...]
  local name="$1" exe="$2" folder="$work/$1"
  shift 2
  echo "== $name: the waiting window while the installer works"
  mkdir "$folder"
  cp "$exe" "$folder/"
  if ! watch_window "$name" "$folder" "$@" "$folder/$(basename "$exe")"; then
    failed "$name: the waiting window check"
  fi
  expect_installer_files "$folder" "$(basename "$exe")" || failures=$((failures + 1))
  expect_same_files "$folder" "$work/reference" || failures=$((failures + 1))
}

window_check linux "$linux_exe"
window_check windows "$windows_exe" "$wine_run"

echo "== negative control: no window shown, the window check must fail"
mkdir "$work/no-window"
cp "$linux_exe" "$work/no-window/"
if watch_window no-window "$work/no-window" env -u DISPLAY "$work/no-window/fiumicino_roma_3291"; then
  failed "the window check passed although the installer showed no window"
else
  echo "ok: the window check fails when no window is shown"
fi

expected_box="message box title: message_box_probe
message box text: [ Errore n. 1250]
message box buttons: OK
message box icon: none"

# Starts the probe, waits for its box on the screen and for its report of
# what the box shows, takes a screenshot, presses OK (Return) and compares:
# with `expect_report` when set (a function given the report), else with
# $expected_box exactly. The probe must end with `expected_status`.
expect_report=""
expected_status=3
box_check() {  # NAME COMMAND...
  local name="$1"
  shift
  local report="$out/$name-box.txt" window="" status=0
  "$@" >"$report" 2>"$out/$name-box.err" &
  local pid=$!
  for _ in $(seq 600); do
    if ! kill -0 "$pid" 2>/dev/null; then break; fi
    if grep -q "^message box icon:" "$report"; then
      window="$(xdotool search --onlyvisible --name '^message_box_probe$' 2>/dev/null | head -1 || true)"
      [ -n "$window" ] && break
    fi
    sleep 0.1
  done
  if [ -z "$window" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "  no message box appeared; the probe wrote:"
    sed 's/^/  /' "$report" "$out/$name-box.err"
    return 1
  fi
  import -window root "$out/$name-box.png" || true
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  xdotool key --clearmodifiers Return
  for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "  the box did not close on Return"
    return 1
  fi
  wait "$pid" || status=$?
  local shown
  shown="$(tr -d '\r' <"$report")"
  sed 's/^/  /' <<<"$shown"
  if [ -n "$expect_report" ]; then
    "$expect_report" "$shown" || return 1
  elif [ "$shown" != "$expected_box" ]; then
    echo "  the box does not show what errore must show:"
    diff <(echo "$expected_box") <(echo "$shown") | sed 's/^/  /'
    return 1
  fi
  if [ "$status" -ne "$expected_status" ]; then
    echo "  the probe ended with status $status, not $expected_status"
    return 1
  fi
}

# The platform failure's box: the reason and the path's spelling are the
# system's, the rest is fixed.
failure_report_ok() {  # REPORT
  local report="$1" line ok=0
  for line in "message box title: message_box_probe" \
    "message box text: [Installazione interrotta." \
    "Impossibile sostituire:" \
    "message box buttons: OK" \
    "message box icon: shown"; do
    grep -qxF -- "$line" <<<"$report" || { echo "  the box lacks the line '$line'"; ok=1; }
  done
  grep -q 'Fiumicino Aeroporto_Roma_3291_note\.txt$' <<<"$report" ||
    { echo "  the box does not name the route notes"; ok=1; }
  grep -q '^Motivo: .\+' <<<"$report" || { echo "  the box gives no reason"; ok=1; }
  return "$ok"
}

failure_check() {  # NAME PROBE [RUNNER...]
  local name="$1" probe="$2" folder="$work/$1-failure"
  shift 2
  mkdir "$folder"
  cp "$probe" "$folder/"
  mkdir "$folder/Fiumicino Aeroporto_Roma_3291_note.txt"
  expect_report=failure_report_ok
  expected_status=2
  local result=0
  box_check "$name-failure" "$@" "$folder/$(basename "$probe")" --failure || result=1
  expect_report=""
  expected_status=3
  # The sources it wrote are gone, and no temporary file is left.
  if [ "$(ls "$folder" | LC_ALL=C sort)" != "$(printf '%s\n' "$(basename "$probe")" \
    "Fiumicino Aeroporto_Roma_3291_note.txt" | LC_ALL=C sort)" ]; then
    echo "  the run left files behind:"
    ls "$folder" | sed 's/^/  /'
    result=1
  fi
  return "$result"
}

echo "== linux: errore's message box"
box_check linux "$root/build-gui/tests/window/message_box_probe" || failed "linux: the message box check"
echo "== windows: errore's message box"
box_check windows "$wine_run" "$root/build-win/tests/window/message_box_probe.exe" ||
  failed "windows: the message box check"

echo "== linux: the platform failure's message box"
failure_check linux "$root/build-gui/tests/window/message_box_probe" ||
  failed "linux: the platform failure's message box"
echo "== windows: the platform failure's message box"
failure_check windows "$root/build-win/tests/window/message_box_probe.exe" "$wine_run" ||
  failed "windows: the platform failure's message box"

# The damaged program's box: the path's spelling is the system's.
damaged_report_ok() {  # REPORT
  local report="$1" line ok=0
  for line in "message box title: message_box_probe" \
    "message box text: [Installazione interrotta." \
    "Il programma è danneggiato:" \
    "Nessun file è stato scritto. Scaricare di nuovo il programma.]" \
    "message box buttons: OK" \
    "message box icon: shown"; do
    grep -qxF -- "$line" <<<"$report" || { echo "  the box lacks the line '$line'"; ok=1; }
  done
  grep -q 'message_box_probe\(\.exe\)\?$' <<<"$report" ||
    { echo "  the box does not name the program"; ok=1; }
  return "$ok"
}

damaged_check() {  # NAME PROBE [RUNNER...]
  local name="$1" probe="$2" folder="$work/$1-damaged"
  shift 2
  local packed
  packed="$folder/$(basename "$probe")"
  mkdir -p "$folder" "$work/$name-sources"
  "$root/build-gui/tools/scenarioc" sources "$work/$name-sources" >/dev/null
  "$root/build-gui/tools/scenarioc" pack "$work/$name-sources" --installer "$probe" -o "$packed" >/dev/null
  # One byte of the train source, inside the payload.
  flip_byte "$packed" $(($(stat -c %s "$packed") - 1000))
  echo "earlier install" >"$folder/Fiumicino Aeroporto_Roma_3291.dat"
  expect_report=damaged_report_ok
  expected_status=2
  local result=0
  box_check "$name-damaged" "$@" "$packed" --packed || result=1
  expect_report=""
  expected_status=3
  if [ "$(ls "$folder" | LC_ALL=C sort)" != "$(printf '%s\n' "$(basename "$probe")" \
    "Fiumicino Aeroporto_Roma_3291.dat" | LC_ALL=C sort)" ] ||
    [ "$(cat "$folder/Fiumicino Aeroporto_Roma_3291.dat")" != "earlier install" ]; then
    echo "  the damaged program changed its folder:"
    ls "$folder" | sed 's/^/  /'
    result=1
  fi
  return "$result"
}

echo "== linux: the damaged program's message box"
damaged_check linux "$root/build-gui/tests/window/message_box_probe" ||
  failed "linux: the damaged program's message box"

echo "== windows: the damaged program's message box"
damaged_check windows "$root/build-win/tests/window/message_box_probe.exe" "$wine_run" ||
  failed "windows: the damaged program's message box"

echo "== negative control: no display for the probe, the box check must fail"
if box_check no-box env -u DISPLAY "$root/build-gui/tests/window/message_box_probe"; then
  failed "the message box check passed although no box was shown"
else
  echo "ok: the message box check fails when no box is shown"
fi

if [ "$failures" -ne 0 ]; then
  echo "FAIL: $failures window checks failed (screenshots and reports in $out)"
  exit 1
fi
echo "PASS: window checks (screenshots and reports in $out)"
