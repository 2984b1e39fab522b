#!/usr/bin/env bash
# Builds the fuzz targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer and runs
# each for a bounded time (seconds per target, default 60) from its seeds and from every input
# that ever made it fail (tests/fuzz/regressions). A failing input is left in
# build-fuzz/artifacts/TARGET/ and the script fails; add the input to the regressions folder.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQF_FUZZ=ON -DQF_BUILD_TESTS=OFF -DQF_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc 2>/dev/null || echo 2)" --target fuzz_obj fuzz_mtl fuzz_import fuzz_options

# target, the largest input it is given, its seed folders
run_target() {
  local target=$1 max_len=$2; shift 2
  local work artifacts=build-fuzz/artifacts/$target
  work=$(mktemp -d)
  rm -rf "$artifacts" && mkdir -p "$artifacts"
  for seeds in "$@" "regressions/$target"; do
    if [ -d "tests/fuzz/$seeds" ]; then find "tests/fuzz/$seeds" -maxdepth 1 -type f ! -name '*.md' -exec cp {} "$work"/ \; ; fi
  done
  echo "fuzzing $target for ${seconds}s"
  ASAN_OPTIONS=detect_leaks=1 ./build-fuzz/tests/fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" 2>&1 |
    grep -E 'stat::number_of_executed_units|Done|ERROR|SUMMARY|crash-|leak|timeout-|oom-' || true
  rm -rf "$work"
  # libFuzzer leaves crash-*, leak-*, timeout-* or oom-* files behind when it finds something.
  if [ -n "$(ls -A "$artifacts")" ]; then
    echo "fuzz_$target found a failing input (add it to tests/fuzz/regressions/$target/):"
    ls "$artifacts"
    return 1
  fi
}

status=0
run_target obj 8192 corpus_obj || status=1
run_target mtl 8192 corpus_mtl || status=1
run_target import 16384 corpus_obj corpus_import || status=1
run_target options 512 corpus_options || status=1
exit $status
