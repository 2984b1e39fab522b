#!/usr/bin/env bash
# Sets everything up, builds the tool and imports the bundled example into the stand-in host scene.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target qfobjimp
./build/tools/qfobjimp scan examples/toy_car/toy_car.obj
echo
echo "Importing (the warnings of the run follow; the scene is written to build/toy_car_scene.json):"
./build/tools/qfobjimp import examples/toy_car/toy_car.obj --scene build/toy_car_scene.json
