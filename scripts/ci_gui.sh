#!/usr/bin/env bash
# CI for the window builds: builds the Linux installer with FLTK (build-gui)
# and the Windows one (build-win), then runs tests/window/gui_checks.sh under
# a headless X server. Fails when FLTK is missing from the Linux build or when
# no display could be started: a check that saw nothing never passes.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh gui-check windows
cmake -S . -B build-gui -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWITH_FLTK=ON >/dev/null
cmake --build build-gui -j2 --target fiumicino_roma_3291 message_box_probe window_watch scenarioc
if ! ldd build-gui/installer/fiumicino_roma_3291 | grep -q libfltk; then
  echo "FAIL: the Linux installer in build-gui was built without FLTK"
  exit 1
fi
scripts/build_windows.sh fiumicino_roma_3291 message_box_probe

xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" tests/window/gui_checks.sh
