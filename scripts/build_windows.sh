#!/usr/bin/env bash
# Builds the Windows installer and scenarioc with MinGW-w64 (installs the
# Debian packages when they are missing), both stripped. The installer lands in
# build-win/installer/, scenarioc.exe in build-win/tools/; copy the installer
# alone into the simulator's folder and double-click it there, or pack a
# scenario into it with scenarioc pack.
#   scripts/build_windows.sh            the installer and scenarioc
#   scripts/build_windows.sh all        everything, the unit tests included
#   scripts/build_windows.sh TARGET...  the named targets
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh windows
cmake --no-warn-unused-cli -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTRIP_EXECUTABLES=ON >/dev/null
if [ "$#" -eq 0 ]; then
  set -- fiumicino_roma_3291 scenarioc
fi
if [ "$*" = all ]; then
  cmake --build build-win -j2
else
  cmake --build build-win -j2 --target "$@"
fi
echo "Windows installer: $(pwd)/build-win/installer/fiumicino_roma_3291.exe"
echo "scenarioc:         $(pwd)/build-win/tools/scenarioc.exe"
