#!/usr/bin/env bash
# The installer and `scenarioc compile` as real processes, with the system
# refusing an operation on a source (strace injects the failure):
#  - the open of the train source refused: status 2, a message naming the
#    train source and the reason, every old binary file as it was; the
#    installer leaves no source behind, scenarioc keeps both;
#  - the deletion of the train source refused (an editor holding it open):
#    status 2, a message naming it, and the new binary files written.
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
    command=("$scenarioc" compile "$work/run" --scenario "Fiumicino Aeroporto_Roma" --train 3291)
  fi
  env -u DISPLAY strace -f -qq -o /dev/null -P "$work/run/$train" -e trace="$syscall" \
    -e inject="$syscall:error=$error:when=1" "${command[@]}" >"$work/out" 2>"$work/err" ||
    status=$?
  [ "$status" -eq 2 ] || fail "$name: status $status, not 2: $(cat "$work/err")"
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

[ "$failures" -eq 0 ] || exit 1
echo "PASS: a refused source operation is reported with status 2 and loses nothing"
