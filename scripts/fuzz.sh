#!/usr/bin/env bash
# Builds the fuzz targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer and runs
# each for a bounded time (seconds, default 60) from the seed corpora.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQF_FUZZ=ON -DQF_BUILD_TESTS=OFF -DQF_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc 2>/dev/null || echo 2)" --target fuzz_obj fuzz_mtl
for target in obj mtl; do
  work=$(mktemp -d)
  cp tests/fuzz/corpus_$target/* "$work"/
  echo "fuzzing the $target reader for ${seconds}s"
  ASAN_OPTIONS=detect_leaks=1 ./build-fuzz/tests/fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 "$work" 2>&1 | grep -E 'stat::number_of_executed_units|Done|ERROR|SUMMARY|crash-|leak' || true
  # libFuzzer leaves crash-*, leak-* or timeout-* files behind when it finds something.
  if ls crash-* leak-* timeout-* oom-* >/dev/null 2>&1; then
    echo "fuzz_$target found a failing input:"; ls crash-* leak-* timeout-* oom-* 2>/dev/null
    exit 1
  fi
  rm -rf "$work"
done
