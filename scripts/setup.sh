#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
#
#   scripts/setup.sh              the compiler, CMake and the test libraries
#   scripts/setup.sh gui          + FLTK, for the waiting window on Linux
#   scripts/setup.sh gui-check    + gui, and a headless X server with the tools
#                                   that check the window (scripts/ci_gui.sh)
#   scripts/setup.sh windows      + MinGW-w64 and Wine, for the Windows .exe
#                                   (about 1.4 GB)
#   scripts/setup.sh fuzz         + clang with its sanitizer and fuzzer runtimes
#   scripts/setup.sh format       + clang-format (scripts/check_format.sh)
#   scripts/setup.sh viewer-check Chromium, to open the route viewer headless
#                                   (scripts/check_viewer.sh; now among the
#                                   packages every build installs)
# Groups can be combined: scripts/setup.sh gui-check windows
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev
  strace
  neovim  # the language server against a real editor (tests/lsp_neovim.sh)
  chromium fonts-dejavu-core  # the route viewer's self-test (tests/route_viewer.sh)
  nodejs  # the route viewer's script checked (scripts/lint_js.sh)
)

# Installed without the packages they only recommend: Wine alone recommends
# several hundred megabytes that neither the build nor the checks use.
extras=()
for group in "$@"; do
  case "$group" in
    gui) extras+=(libfltk1.3-dev fonts-dejavu-core) ;;
    gui-check)
      extras+=(libfltk1.3-dev fonts-dejavu-core
        xvfb xauth xdotool imagemagick x11-utils openbox) ;;
    windows) extras+=(g++-mingw-w64-x86-64 wine wine64) ;;
    fuzz) extras+=(clang-14 libclang-rt-14-dev) ;;
    format) extras+=(clang-format) ;;
    viewer-check) extras+=(chromium fonts-dejavu-core) ;;
    *)
      echo "setup: unknown group '$group' (gui, gui-check, windows, fuzz, format, viewer-check)" >&2
      exit 2
      ;;
  esac
done

missing_of() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || echo "$p"
  done
}

mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_extras < <(missing_of ${extras[@]+"${extras[@]}"})
if ((${#missing[@]} + ${#missing_extras[@]})); then
  echo "setup: installing ${missing[*]} ${missing_extras[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  if ((${#missing[@]})); then
    $SUDO apt-get install -y -qq "${missing[@]}"
  fi
  if ((${#missing_extras[@]})); then
    $SUDO apt-get install -y -qq --no-install-recommends "${missing_extras[@]}"
  fi
fi
