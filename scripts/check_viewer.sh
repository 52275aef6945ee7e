#!/usr/bin/env bash
# The route viewer in headless Chromium (tests/route_viewer.sh, which the unit
# tests also run through ctest), installing Chromium first when missing, with
# screenshots in BUILD/viewer-check/.
#
#   scripts/check_viewer.sh [BUILD]     BUILD defaults to build
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh viewer-check
build=${1:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target scenarioc
tests/route_viewer.sh "$build/tools/scenarioc" "$build/viewer-check" --screenshots
