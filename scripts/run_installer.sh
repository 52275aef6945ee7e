#!/usr/bin/env bash
# Builds the installer (with its window: FLTK) and runs it. It writes its files
# into the folder of its own executable: build/installer/. With no display it
# reports on the console instead of the window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh gui
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target fiumicino_roma_3291
build/installer/fiumicino_roma_3291
echo "files written to $(pwd)/build/installer:"
ls -l build/installer
