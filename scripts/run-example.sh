#!/usr/bin/env bash
# Sets up the native build, builds the tool and imports the bundled example into the stand-in
# host scene.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if [[ -f build/CMakeCache.txt ]]; then
  cmake -S . -B build >/dev/null
else
  # The tests need more packages (scripts/setup.sh --tests); the example needs only the tool.
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQF_BUILD_TESTS=OFF >/dev/null
fi
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target qfobjimp
./build/tools/qfobjimp scan examples/toy_car/toy_car.obj
echo
echo "Importing (the warnings of the run, then its summary):"
./build/tools/qfobjimp import examples/toy_car/toy_car.obj --scene build/toy_car_scene.json
