#!/usr/bin/env bash
# The installer as a real process over old versions of its six files, with
# each write, fsync and rename of the run failing in turn (strace injects
# the failure). After each run:
#  - status 0 with the reference's six files; status 4 (installed) with them
#    and a message that names a file and the reason; or status 2 with such a
#    message;
#  - each file holds its old bytes or the reference's, never a cut file;
#  - the three binary files are all old or all new, unless the message says
#    which of them could not be put back;
#  - no temporary file and no source is left.
# Usage: scripts/fault_inject.sh; BUILD=build.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
source scripts/lib/installer_files.sh
exe_name=fiumicino_roma_3291
exe="$build/installer/$exe_name"
[ -x "$exe" ] || { echo "FAIL: no installer at $exe (build it first)"; exit 1; }
command -v strace >/dev/null || { echo "FAIL: strace is not installed"; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
binaries=("Fiumicino Aeroporto_Roma_linea.dat" "Fiumicino Aeroporto_Roma_3291.sim"
  "Fiumicino Aeroporto_Roma_3291.dat")

mkdir "$work/reference" "$work/old"
cp "$exe" "$work/reference/"
env -u DISPLAY "$work/reference/$exe_name" >/dev/null
for f in "${INSTALLER_FILES[@]}"; do
  head -c $((RANDOM % 3000 + 1)) /dev/urandom >"$work/old/$f"
done

fresh_folder() {
  rm -rf "$work/run"
  mkdir "$work/run"
  cp "$exe" "$work/run/"
  cp "$work/old/"* "$work/run/"
}

# How many calls of SYSCALL a clean run makes.
count_calls() {
  fresh_folder
  env -u DISPLAY strace -f -qq -o "$work/trace" -e trace="$1" "$work/run/$exe_name" >/dev/null
  grep -c "$1(" "$work/trace" || true
}

failures=0
runs=0
for fault in write:ENOSPC fsync:EIO rename:EACCES; do
  syscall=${fault%%:*}
  error=${fault#*:}
  calls=$(count_calls "$syscall")
  [ "$calls" -gt 0 ] || { echo "FAIL: a clean run makes no $syscall call"; exit 1; }
  for n in $(seq "$calls"); do
    runs=$((runs + 1))
    fresh_folder
    status=0
    env -u DISPLAY strace -f -qq -o /dev/null -e trace="$syscall" \
      -e inject="$syscall:error=$error:when=$n" "$work/run/$exe_name" \
      >"$work/out" 2>"$work/err" || status=$?
    problem=""
    case $status in
      0) expect_same_files "$work/run" "$work/reference" >/dev/null ||
        problem="status 0 without the reference's files" ;;
      2) grep -q "^fiumicino_roma_3291: cannot .* '.*': " "$work/err" ||
        problem="status 2 without a message naming a file: $(cat "$work/err")" ;;
      4) { expect_same_files "$work/run" "$work/reference" >/dev/null &&
        grep -q "^fiumicino_roma_3291: the scenario is installed, but:" "$work/err" &&
        grep -q "^fiumicino_roma_3291: cannot .* '.*': " "$work/err"; } ||
        problem="status 4 without the reference's files and a message: $(cat "$work/err")" ;;
      *) problem="status $status: $(cat "$work/err")" ;;
    esac
    new=0
    old=0
    for f in "${INSTALLER_FILES[@]}"; do
      if [ -e "$work/run/$f" ] && cmp -s "$work/run/$f" "$work/reference/$f"; then
        for b in "${binaries[@]}"; do [ "$b" != "$f" ] || new=$((new + 1)); done
      elif [ -e "$work/run/$f" ] && cmp -s "$work/run/$f" "$work/old/$f"; then
        for b in "${binaries[@]}"; do [ "$b" != "$f" ] || old=$((old + 1)); done
      else
        problem="$problem; '$f' is neither old nor new"
      fi
    done
    if [ "$new" -ne 0 ] && [ "$old" -ne 0 ] && ! grep -q "could not all be put back" "$work/err"; then
      problem="$problem; a mixed set of binary files ($new new, $old old)"
    fi
    left="$(cd "$work/run" && ls | grep -e 'tmp~$' -e '_linea\.txt$' -e '-\.txt$' || true)"
    [ -z "$left" ] || problem="$problem; left behind: $left"
    if [ -n "$problem" ]; then
      echo "FAIL: $syscall call $n failing with $error: $problem"
      failures=$((failures + 1))
    fi
  done
  echo "ok: each of the $calls $syscall calls failing in turn"
done

if [ "$failures" -ne 0 ]; then
  echo "FAIL: $failures of $runs runs with an injected failure broke a promise"
  exit 1
fi
echo "PASS: $runs runs, each with one write, fsync or rename failing, kept every file whole"
