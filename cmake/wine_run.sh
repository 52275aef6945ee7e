#!/usr/bin/env bash
# Runs a Windows program under Wine: the emulator of the cross build (ctest)
# and of the checks. The Wine prefix is made once, on first use:
#   WINEPREFIX   default ~/.cache/fiumicino_roma_3291/wine
# A crash ends the program with a failing status instead of opening Wine's
# debugger dialog (which hangs without a user, or hides the crash).
set -euo pipefail

export WINEPREFIX="${WINEPREFIX:-${HOME}/.cache/fiumicino_roma_3291/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=;mshtml=}"

if [ ! -f "$WINEPREFIX/.ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    # Wine's own processes must not inherit the lock, or it is never released.
    flock 9
    if [ ! -f "$WINEPREFIX/.ready" ]; then
      echo "wine_run: creating the Wine prefix $WINEPREFIX (once)" >&2
      {
        wineboot --init
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
          /v Debugger /t REG_SZ /d '' /f
        wineserver -w
      } 9>&- </dev/null >/dev/null 2>&1
      touch "$WINEPREFIX/.ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi

exec wine "$@"
