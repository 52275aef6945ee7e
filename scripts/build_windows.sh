#!/usr/bin/env bash
# Builds the Windows installer with MinGW-w64 (installs the Debian packages
# when they are missing). The .exe lands in build-win/installer/; copy it alone
# into the simulator's folder and double-click it there.
#   scripts/build_windows.sh            the installer only
#   scripts/build_windows.sh all        everything, the unit tests included
#   scripts/build_windows.sh TARGET...  the named targets
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh windows
cmake --no-warn-unused-cli -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ "$#" -eq 0 ]; then
  set -- fiumicino_roma_3291
fi
if [ "$*" = all ]; then
  cmake --build build-win -j2
else
  cmake --build build-win -j2 --target "$@"
fi
echo "Windows installer: $(pwd)/build-win/installer/fiumicino_roma_3291.exe"
