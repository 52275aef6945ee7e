#!/usr/bin/env bash
# CI for the Windows build: cross-builds everything with MinGW-w64, runs the
# unit tests under Wine, then copies the .exe alone into an empty folder (whose
# name needs more than one code page), starts it there without arguments and
# checks that it leaves exactly the six files of the Linux build, byte for
# byte; then scenarioc pack makes Linux and Windows installers of the built-in
# and of another scenario, whole and damaged (scripts/check_packed_installers.sh).
# Needs no display. Fails on the first failing step.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
source scripts/lib/installer_files.sh

scripts/build_windows.sh all
# The Linux installer (build-gui, with the window when FLTK is installed) makes
# the reference files; it runs without a display, on the console.
cmake -S . -B build-gui -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-gui -j2 --target fiumicino_roma_3291

export WINEPREFIX="${WINEPREFIX:-$HOME/.cache/fiumicino_roma_3291/wine}"
export WINEDEBUG=-all
# No window on a developer's screen: without X the run goes on without it.
unset DISPLAY WAYLAND_DISPLAY

work="$(mktemp -d)"
server_started=0
cleanup() {
  if [ "$server_started" -eq 1 ]; then wineserver -k 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# A persistent server, started before ctest: otherwise Wine's background
# processes keep each test's output pipe open and ctest waits seconds per test.
cmake/wine_run.sh cmd /c exit </dev/null >/dev/null 2>&1  # makes the prefix on first use
wineserver -w
wineserver -p
server_started=1
cmake/wine_run.sh cmd /c exit </dev/null >/dev/null 2>&1

echo "== unit tests under Wine"
# Wine now and then gives up on a launch before the program writes a byte. A
# test that failed without printing anything is run once more; a test that
# printed anything and failed fails the step at once, and so does a second
# silent failure. The native and sanitized runs retry nothing.
report="$work/unit_tests.xml"
if ! ctest --test-dir build-win -j2 --output-on-failure --output-junit "$report"; then
  unstarted="$(python3 scripts/lib/unstarted_tests.py "$report")" || {
    echo "FAIL: unit tests under Wine"
    exit 1
  }
  if [ -z "$unstarted" ]; then
    echo "FAIL: ctest under Wine failed, and no test in its report did"
    exit 1
  fi
  echo "== these tests printed nothing and failed (Wine did not start them); once more: $unstarted"
  ctest --test-dir build-win --output-on-failure -R "$unstarted"
fi

echo "== scenarioc lsp, the language server, answers initialize under Wine"
scripts/lib/lsp_answers_initialize.sh "$root/cmake/wine_run.sh" "$root/build-win/tools/scenarioc.exe"

echo "== the Linux installer, alone in an empty folder (reference)"
linux_folder="$work/Linux àèìòù € Ω 日本"
mkdir "$linux_folder"
cp build-gui/installer/fiumicino_roma_3291 "$linux_folder/"
status=0
(cd / && "$linux_folder/fiumicino_roma_3291") || status=$?
if [ "$status" -ne 0 ]; then
  echo "FAIL: the Linux installer ended with status $status"
  exit 1
fi
expect_installer_files "$linux_folder" fiumicino_roma_3291

echo "== the Windows installer under Wine, alone in an empty folder"
folder="$work/Windows àèìòù € Ω 日本"
mkdir "$folder"
cp build-win/installer/fiumicino_roma_3291.exe "$folder/"
(cd / && timeout 300 "$root/cmake/wine_run.sh" "$folder/fiumicino_roma_3291.exe") || status=$?
if [ "$status" -ne 0 ]; then
  echo "FAIL: the Windows installer ended with status $status"
  exit 1
fi
expect_installer_files "$folder" fiumicino_roma_3291.exe
expect_same_files "$folder" "$linux_folder"

echo "== scenarioc pack: packed installers, Linux and Windows"
cmake --build build-gui -j2 --target scenarioc
scripts/check_packed_installers.sh build-gui/tools/scenarioc build-gui/installer/fiumicino_roma_3291 \
  build-win/installer/fiumicino_roma_3291.exe build-win/tools/scenarioc.exe
echo "PASS: Windows build"
