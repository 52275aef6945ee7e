#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for
# SECONDS (default 60) on the seed corpus; new inputs go to build-fuzz/corpus.
# A crash stops the run with the input saved as build-fuzz/crash-*.
# With TARGETS set (e.g. TARGETS="decode plot"), only those run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets=${TARGETS:-field_reader compile post_process decode plot plan lsp_messages payload}
scripts/setup.sh fuzz
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-14 -DBUILD_TESTS=OFF -DBUILD_FUZZERS=ON >/dev/null
cmake --build build-fuzz -j2 --target $(for t in $targets; do echo "${t}_fuzz"; done)
for target in $targets; do
  mkdir -p "build-fuzz/corpus/$target"
  # The source keywords help the targets that read sources.
  case $target in
    field_reader | compile) dict=(-dict=../fuzz/keywords.dict) ;;
    *) dict=() ;;
  esac
  echo "== ${target}_fuzz for ${seconds}s"
  log="build-fuzz/${target}.log"
  if ! (cd build-fuzz && "./fuzz/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
          "${dict[@]}" -max_len=65536 -rss_limit_mb=4096 -timeout=30 \
          "corpus/$target" "../fuzz/corpus/$target") >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: ${target}_fuzz found a crash (input saved in build-fuzz/)" >&2
    exit 1
  fi
  grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
done
echo "fuzz: no crash"
