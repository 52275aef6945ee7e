#!/usr/bin/env bash
# The installer and `scenarioc compile` as real processes, with the system
# refusing an operation on a source (strace injects the failure):
#  - the open of the train source refused: status 2, a message naming the
#    train source and the reason, every old binary file as it was; the
#    installer leaves no source behind, scenarioc keeps both;
#  - the deletion of the train source refused (an editor holding it open):
#    a message naming it, and the new binary files written; the installer
#    ends with status 4 (installed), scenarioc compile with 2;
#  - `scenarioc compile --delete-sources` with its binary files failing (the
#    last rename refused, an fsync failing, killed between renames): both
#    sources stay byte for byte, and a refused rename leaves the old set whole.
# Usage: scripts/source_faults.sh; BUILD=build.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
source scripts/lib/installer_files.sh
exe_name=fiumicino_roma_3291
exe="$build/installer/$exe_name"
scenarioc="$build/tools/scenarioc"
for program in "$exe" "$scenarioc"; do
  [ -x "$program" ] || { echo "FAIL: no $program (build it first)"; exit 1; }
done
command -v strace >/dev/null || { echo "FAIL: strace is not installed"; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
line="Fiumicino Aeroporto_Roma_linea.txt"
train="Fiumicino Aeroporto_Roma_3291-.txt"
binaries=("Fiumicino Aeroporto_Roma_linea.dat" "Fiumicino Aeroporto_Roma_3291.sim"
  "Fiumicino Aeroporto_Roma_3291.dat")

mkdir "$work/reference"
cp "$exe" "$work/reference/"
env -u DISPLAY "$work/reference/$exe_name" >/dev/null
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# run_case NAME PROGRAM SYSCALL ERROR
run_case() {
  local name="$1" program="$2" syscall="$3" error="$4" status=0 f
  rm -rf "$work/run"
  mkdir "$work/run"
  for f in "${binaries[@]}"; do echo "old $f" >"$work/run/$f"; done
  local -a command
  if [ "$program" = installer ]; then
    cp "$exe" "$work/run/"
    command=("$work/run/$exe_name")
  else
    "$scenarioc" sources "$work/run" >/dev/null
    command=("$scenarioc" compile "$work/run" --scenario "Fiumicino Aeroporto_Roma" --train 3291
      --delete-sources)
  fi
  local expected=2
  [ "$program $syscall" != "installer unlink" ] || expected=4
  env -u DISPLAY strace -f -qq -o /dev/null -P "$work/run/$train" -e trace="$syscall" \
    -e inject="$syscall:error=$error:when=1" "${command[@]}" >"$work/out" 2>"$work/err" ||
    status=$?
  [ "$status" -eq "$expected" ] || fail "$name: status $status, not $expected: $(cat "$work/err")"
  grep -q "cannot [a-z]* '$work/run/$train': " "$work/err" ||
    fail "$name: no message naming the train source: $(cat "$work/err")"
  case "$name" in
    *open*)
      for f in "${binaries[@]}"; do
        [ "$(cat "$work/run/$f")" = "old $f" ] || fail "$name: '$f' changed"
      done
      if [ "$program" = installer ]; then
        [ ! -e "$work/run/$line" ] && [ ! -e "$work/run/$train" ] ||
          fail "$name: the installer left a source behind"
      else
        [ -e "$work/run/$line" ] && [ -e "$work/run/$train" ] ||
          fail "$name: scenarioc lost a source"
      fi
      ;;
    *delete*)
      for f in "${binaries[@]}"; do
        cmp -s "$work/run/$f" "$work/reference/$f" || fail "$name: '$f' is not the new file"
      done
      [ -e "$work/run/$train" ] || fail "$name: the train source that could not be deleted is gone"
      [ ! -e "$work/run/$line" ] || fail "$name: the line source was not deleted"
      ;;
  esac
  [ "$failures" -ne 0 ] || echo "ok: $name"
}

run_case "installer, open refused" installer openat EACCES
run_case "scenarioc compile, open refused" scenarioc openat EACCES
run_case "installer, delete refused" installer unlink EBUSY
run_case "scenarioc compile, delete refused" scenarioc unlink EBUSY

# output_case NAME STRACE-ARGUMENTS...: scenarioc compile --delete-sources over
# old binary files, under strace with the given arguments.
output_case() {
  local name="$1" status=0 f
  shift
  rm -rf "$work/run" "$work/sources"
  mkdir "$work/run" "$work/sources"
  for f in "${binaries[@]}"; do echo "old $f" >"$work/run/$f"; done
  "$scenarioc" sources "$work/run" >/dev/null
  cp "$work/run/$line" "$work/run/$train" "$work/sources/"
  strace -f -qq -o /dev/null "$@" "$scenarioc" compile "$work/run" --delete-sources \
    >"$work/out" 2>"$work/err" || status=$?
  for f in "$line" "$train"; do
    cmp -s "$work/run/$f" "$work/sources/$f" || fail "$name: the source '$f' was lost (status $status)"
  done
  [ "$status" -ne 0 ] || fail "$name: status 0"
  case "$name" in
    *rename*)
      for f in "${binaries[@]}"; do
        [ "$(cat "$work/run/$f")" = "old $f" ] || fail "$name: '$f' is not the old file"
      done
      grep -q "the old set is whole" "$work/err" ||
        fail "$name: no word of the old set: $(cat "$work/err")"
      ;;
  esac
  [ "$failures" -ne 0 ] || echo "ok: $name"
}

# Over old files: three old files moved aside, then three new ones renamed in.
output_case "compile --delete-sources, last rename refused" \
  -e trace=rename -e inject=rename:error=EACCES:when=6
output_case "compile --delete-sources, an fsync failing" -e trace=fsync -e inject=fsync:error=EIO:when=2
output_case "compile --delete-sources, disk full" -e trace=write -e inject=write:error=ENOSPC:when=3
# Killed while the renames are slowed down: the sources are still there.
killed_case() {
  rm -rf "$work/run" "$work/sources"
  mkdir "$work/run" "$work/sources"
  "$scenarioc" sources "$work/run" >/dev/null
  cp "$work/run/$line" "$work/run/$train" "$work/sources/"
  strace -f -qq -o /dev/null -e trace=rename -e inject=rename:delay_enter=300000 \
    "$scenarioc" compile "$work/run" --delete-sources >/dev/null 2>&1 &
  local pid=$!
  sleep 0.6
  # The compile itself, strace's child: killed strace would let it run on.
  pkill -9 -P "$pid" 2>/dev/null || true
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  for f in "$line" "$train"; do
    cmp -s "$work/run/$f" "$work/sources/$f" || fail "killed while renaming: the source '$f' was lost"
  done
  [ "$failures" -ne 0 ] || echo "ok: compile --delete-sources, killed while renaming"
}
killed_case

[ "$failures" -eq 0 ] || exit 1
echo "PASS: a refused source or output operation is reported and loses no source"
