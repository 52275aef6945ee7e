#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for
# SECONDS (default 60), starting from its corpus in fuzz/corpus/TARGET and the
# inputs of fuzz/regressions/TARGET. What a run finds lands in
# build-fuzz/corpus/TARGET and is merged back into fuzz/corpus/TARGET
# (libFuzzer -merge=1: only inputs that reach something new are kept), so the
# next run starts where this one ended. Each run's executions are added to
# fuzz/executions.tsv, and the README's table of them is written anew.
# A crash stops the run with the input saved as build-fuzz/crash-*.
# With TARGETS set (e.g. TARGETS="decode plot"), only those run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets=${TARGETS:-field_reader compile post_process decode plot plan lsp_messages payload render}
scripts/setup.sh fuzz
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-14 -DBUILD_TESTS=OFF -DBUILD_FUZZERS=ON >/dev/null
cmake --build build-fuzz -j2 --target $(for t in $targets; do echo "${t}_fuzz"; done)

# add_executions TARGET SECONDS EXECUTIONS PER_SECOND: one run more in the
# table of cumulative executions, "target runs seconds executions
# last_per_second", one line a target.
table=fuzz/executions.tsv
add_executions() {
  [ -f "$table" ] || printf '# target\truns\tseconds\texecutions\tlast_per_second\n' >"$table"
  awk -v t="$1" -v s="$2" -v e="$3" -v p="$4" 'BEGIN { FS = OFS = "\t" }
    /^#/ { print; next }
    $1 == t { printf "%s\t%d\t%d\t%.0f\t%s\n", t, $2 + 1, $3 + s, $4 + e, p; found = 1; next }
    { print }
    END { if (!found) printf "%s\t%d\t%d\t%.0f\t%s\n", t, 1, s, e, p }' "$table" >"$table.new"
  mv "$table.new" "$table"
}

# The README's table, between its two marker lines, from fuzz/executions.tsv.
write_readme_table() {
  local begin='<!-- fuzz-executions: begin -->' end='<!-- fuzz-executions: end -->'
  grep -qF "$begin" README.md || return 0
  awk -v begin="$begin" -v end="$end" -v table="$table" '
    function commas(n,   s, out) {
      s = sprintf("%.0f", n)
      out = ""
      while (length(s) > 3) {
        out = "," substr(s, length(s) - 2) out
        s = substr(s, 1, length(s) - 3)
      }
      return s out
    }
    $0 == begin {
      print
      print "| target | runs | time | executions | executions a second, last run |"
      print "|---|---|---|---|---|"
      while ((getline row < table) > 0) {
        if (row ~ /^#/) continue
        split(row, f, "\t")
        printf "| %s | %d | %d min | %s | %s |\n", f[1], f[2], int(f[3] / 60 + 0.5), commas(f[4]), commas(f[5])
      }
      skipping = 1
      next
    }
    $0 == end { skipping = 0 }
    !skipping { print }' README.md >README.md.new
  mv README.md.new README.md
}

for target in $targets; do
  work="build-fuzz/corpus/$target"
  rm -rf "$work"
  mkdir -p "$work" "fuzz/corpus/$target"
  seeds=("../fuzz/corpus/$target")
  [ -d "fuzz/regressions/$target" ] && seeds+=("../fuzz/regressions/$target")
  # The source keywords help the targets that read sources.
  case $target in
    field_reader | compile | render) dict=(-dict=../fuzz/keywords.dict) ;;
    *) dict=() ;;
  esac
  echo "== ${target}_fuzz for ${seconds}s"
  log="build-fuzz/${target}.log"
  if ! (cd build-fuzz && "./fuzz/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
          "${dict[@]}" -max_len=65536 -rss_limit_mb=4096 -timeout=30 \
          "corpus/$target" "${seeds[@]}") >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: ${target}_fuzz found a crash (input saved in build-fuzz/)" >&2
    exit 1
  fi
  grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)' "$log" || true
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  per_second=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  add_executions "$target" "$seconds" "${executions:-0}" "${per_second:-0}"
  # What this run found and the repository corpus lacks joins it.
  if ! (cd build-fuzz && "./fuzz/${target}_fuzz" -merge=1 "${dict[@]}" -max_len=65536 \
          -rss_limit_mb=4096 -timeout=30 "../fuzz/corpus/$target" "corpus/$target") \
          >"build-fuzz/${target}.merge.log" 2>&1; then
    tail -n 20 "build-fuzz/${target}.merge.log"
    echo "fuzz: merging ${target}'s corpus failed" >&2
    exit 1
  fi
  grep -E '^MERGE-OUTER: [0-9]+ new files' "build-fuzz/${target}.merge.log" || true
done
write_readme_table
echo "fuzz: no crash; corpus merged into fuzz/corpus/, executions in $table"
