#!/usr/bin/env bash
# Builds the project and runs all tests: once as released, once under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the Windows build's tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
bash scripts/setup.sh --all

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQF_BUILD_TESTS=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQF_SANITIZE=ON -DQF_BUILD_TESTS=ON
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

bash scripts/test-windows.sh
