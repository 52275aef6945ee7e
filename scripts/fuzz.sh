#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for
# SECONDS (default 60) on the seed corpus; new inputs go to build-fuzz/corpus.
# A crash stops the run with the input saved as build-fuzz/crash-*.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/setup.sh fuzz
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-14 -DBUILD_TESTS=OFF -DBUILD_FUZZERS=ON >/dev/null
cmake --build build-fuzz --target field_reader_fuzz compile_fuzz post_process_fuzz lsp_messages_fuzz
for target in field_reader compile post_process lsp_messages; do
  mkdir -p "build-fuzz/corpus/$target"
  echo "== ${target}_fuzz for ${seconds}s"
  log="build-fuzz/${target}.log"
  if ! (cd build-fuzz && "./fuzz/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
          -dict=../fuzz/keywords.dict -max_len=65536 -rss_limit_mb=4096 -timeout=30 \
          "corpus/$target" "../fuzz/corpus/$target") >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: ${target}_fuzz found a crash (input saved in build-fuzz/)" >&2
    exit 1
  fi
  grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
done
echo "fuzz: no crash"
