#!/usr/bin/env bash
# Builds the benchmarks (optimised) and runs each in a process of its own, so
# that the peak memory figure belongs to that benchmark alone.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTS=OFF -DBUILD_BENCHMARKS=ON >/dev/null
cmake --build build-bench --target compile_bench lsp_bench lsp_stdio_bench scenarioc
for b in BM_CompileGiven BM_CompileGivenInMemory BM_RawWriteGiven \
         BM_CompileMaximum BM_CompileMaximumInMemory BM_RawWriteMaximum; do
  build-bench/bench/compile_bench --benchmark_filter="^$b\$" "$@"
done
# The language server: from an edit to the published diagnostics.
for b in BM_LspChangeGiven/real_time BM_LspChangeMaximum/real_time \
         BM_LspChangeMaximumFaulty/real_time; do
  build-bench/bench/lsp_bench --benchmark_filter="^$b\$" "$@"
done
# The language server as an editor drives it: scenarioc lsp over its stdio.
build-bench/bench/lsp_stdio_bench build-bench/tools/scenarioc 20
