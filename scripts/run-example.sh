#!/usr/bin/env bash
# Sets everything up, builds the tool and runs it on the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target qfobjimp
./build/tools/qfobjimp scan examples/toy_car/toy_car.obj
