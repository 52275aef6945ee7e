#!/usr/bin/env bash
# Many installers at once in one folder, as real processes: staggered starts,
# some killed (SIGKILL) at random moments, half the rounds over old versions
# of every file. After each round:
#  - every run ended with status 0 or was killed;
#  - each of the six files is its old version or the reference run's bytes,
#    never a cut or mixed file; once any run of the round has ended with 0,
#    all six are the reference's;
#  - besides them and the executable, only what a killed run could leave
#    (its temporary files and the sources it wrote) is in the folder;
#  - the next run, alone, ends with 0 and leaves the reference's six files.
# Then two scenarioc compiles of different sources into one --out folder at
# once, ROUNDS/2 times: the three files there are always one compile's set.
# Usage: scripts/stress_concurrency.sh [ROUNDS] (default 60); BUILD=build.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-60}
build=${BUILD:-build}
source scripts/lib/installer_files.sh
exe_name=fiumicino_roma_3291
exe="$build/installer/$exe_name"
[ -x "$exe" ] || { echo "FAIL: no installer at $exe (build it first)"; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
failed() {
  echo "FAIL: round $round: $*"
  failures=$((failures + 1))
}

sources=("Fiumicino Aeroporto_Roma_linea.txt" "Fiumicino Aeroporto_Roma_3291-.txt")

# The reference: one run alone, on the console.
mkdir "$work/reference"
cp "$exe" "$work/reference/"
env -u DISPLAY "$work/reference/$exe_name" >/dev/null
expect_installer_files "$work/reference" "$exe_name" >/dev/null

run_installer() {  # FOLDER LOG
  env -u DISPLAY "$1/$exe_name" >"$2.out" 2>"$2.err"
}
# A random moment of up to 80 ms: a run alone takes some 35 ms.
moment() { printf '0.%03d' $((RANDOM % 80)); }

# Bash reports every killed job on stderr; the checks report on stdout.
exec 2>/dev/null
for round in $(seq "$rounds"); do
  dir="$work/round$round"
  old="$work/old$round"
  mkdir "$dir" "$old"
  cp "$exe" "$dir/"
  if [ $((round % 2)) -eq 0 ]; then
    # Old versions: a different length and different bytes for each file.
    for f in "${INSTALLER_FILES[@]}"; do
      head -c $((RANDOM % 3000 + 1)) /dev/urandom >"$old/$f"
      cp "$old/$f" "$dir/$f"
    done
  fi

  count=$((RANDOM % 5 + 2))
  pids=()
  killers=()
  for i in $(seq "$count"); do
    sleep "0.00$((RANDOM % 10))"
    # env execs the installer: $! is the installer itself, which a kill must hit.
    env -u DISPLAY "$dir/$exe_name" >"$work/log$round.$i.out" 2>"$work/log$round.$i.err" &
    pid=$!
    pids+=("$pid")
    if [ $((RANDOM % 3)) -eq 0 ]; then
      (sleep "$(moment)" && kill -KILL "$pid" 2>/dev/null) &
      killers+=($!)
    fi
  done
  any_ok=0
  any_killed=0
  for i in "${!pids[@]}"; do
    status=0
    { wait "${pids[$i]}"; } 2>/dev/null || status=$?
    case $status in
      0) any_ok=1 ;;
      137) any_killed=1 ;;
      *) failed "run $((i + 1)) ended with $status: $(cat "$work/log$round.$((i + 1)).err")" ;;
    esac
  done
  for k in "${killers[@]}"; do wait "$k" 2>/dev/null || true; done

  for f in "${INSTALLER_FILES[@]}"; do
    if [ ! -e "$dir/$f" ]; then
      [ "$any_ok" -eq 0 ] || failed "'$f' is missing after a run ended with 0"
      continue
    fi
    if cmp -s "$dir/$f" "$work/reference/$f"; then continue; fi
    if [ "$any_ok" -eq 1 ]; then
      failed "'$f' is not the reference's after a run ended with 0"
    elif [ ! -e "$old/$f" ] || ! cmp -s "$dir/$f" "$old/$f"; then
      failed "'$f' is neither its old version nor the reference's (cut or mixed)"
    fi
  done
  while IFS= read -r name; do
    case "$name" in
      "$exe_name") ;;
      *.tmp~ | "${sources[0]}" | "${sources[1]}")
        [ "$any_killed" -eq 1 ] || failed "'$name' left although no run was killed"
        ;;
      *)
        known=0
        for f in "${INSTALLER_FILES[@]}"; do [ "$f" != "$name" ] || known=1; done
        [ "$known" -eq 1 ] || failed "an unexpected file '$name'"
        ;;
    esac
  done < <(cd "$dir" && find . -mindepth 1 -printf '%P\n')

  # The next run alone completes the set.
  if ! run_installer "$dir" "$work/after$round"; then
    failed "the run after the round failed: $(cat "$work/after$round.err")"
  elif ! expect_same_files "$dir" "$work/reference" >/dev/null; then
    failed "the run after the round did not leave the reference's files"
  fi
  rm -rf "$dir" "$old" "$work"/log"$round".* "$work"/after"$round".*
done

# Two scenarioc compiles of one scenario from two different source folders
# into one --out folder: both end with 0, and the three files there are one
# compile's set, never the line geometry of one beside the others of the
# other (the output folder is locked, not only the source folder).
scenarioc="$build/tools/scenarioc"
if [ -x "$scenarioc" ] && command -v strace >/dev/null; then
  binaries=("Fiumicino Aeroporto_Roma_linea.dat" "Fiumicino Aeroporto_Roma_3291.sim"
    "Fiumicino Aeroporto_Roma_3291.dat")
  for v in a b; do
    "$scenarioc" sources "$work/src_$v" >/dev/null
  done
  # b: another clock, speed and curve, so that each of its three files differs.
  sed -i 's/^orologio, *10 .*/orologio,    11              5             30 /' "$work/src_b/${sources[1]}"
  sed -i "s/^curvas6,  650,  300/curvas6,  650,  250/" "$work/src_b/${sources[0]}"
  sed -i "s/^velocita,    1300,   140/velocita,    1300,   130/" "$work/src_b/${sources[1]}"
  for v in a b; do
    mkdir "$work/ref_$v"
    "$scenarioc" compile "$work/src_$v" --out "$work/ref_$v" >/dev/null
  done
  for f in "${binaries[@]}"; do
    ! cmp -s "$work/ref_a/$f" "$work/ref_b/$f" || { echo "FAIL: '$f' does not differ between a and b"; exit 1; }
  done
  compile_rounds=$((rounds / 2))
  for round in $(seq "$compile_rounds"); do
    rm -rf "$work/out"
    mkdir "$work/out"
    # a's renames slowed down, so that b's would fall between them unguarded.
    strace -f -qq -o /dev/null -e trace=rename -e inject=rename:delay_enter=15000 \
      "$scenarioc" compile "$work/src_a" --out "$work/out" >/dev/null 2>"$work/a.err" &
    pid_a=$!
    # b starts while a compiles or renames: 10 to 90 ms later.
    sleep "0.0$((RANDOM % 9 + 1))"
    "$scenarioc" compile "$work/src_b" --out "$work/out" >/dev/null 2>"$work/b.err" &
    pid_b=$!
    status=0
    { wait "$pid_a"; } 2>/dev/null || status=$?
    [ "$status" -eq 0 ] || failed "compile a into one --out ended with $status: $(cat "$work/a.err")"
    status=0
    { wait "$pid_b"; } 2>/dev/null || status=$?
    [ "$status" -eq 0 ] || failed "compile b into one --out ended with $status: $(cat "$work/b.err")"
    from_a=0
    from_b=0
    for f in "${binaries[@]}"; do
      if cmp -s "$work/out/$f" "$work/ref_a/$f"; then from_a=$((from_a + 1)); fi
      if cmp -s "$work/out/$f" "$work/ref_b/$f"; then from_b=$((from_b + 1)); fi
    done
    [ "$from_a" -eq 3 ] || [ "$from_b" -eq 3 ] ||
      failed "two compiles into one --out left $from_a files of one and $from_b of the other"
  done
  echo "ok: $compile_rounds rounds of two compiles into one --out folder left one set"
fi

if [ "$failures" -ne 0 ]; then
  echo "FAIL: $failures problems in $rounds rounds of concurrent installers"
  exit 1
fi
echo "PASS: $rounds rounds of concurrent installers, with kills, left only whole files"
