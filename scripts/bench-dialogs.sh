#!/usr/bin/env bash
# Measures how the progress dialog answers while its worker reads a large file: builds
# qfbench_dialogs into build-win and runs it under Wine in a virtual screen.
#   scripts/bench-dialogs.sh [FILE.obj]   (default: qfbench's 200 MB grid, written when missing)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DQF_BUILD_BENCH=ON >/dev/null
cmake --build build-win -j"$jobs" --target qfbench_dialogs
export WINEPREFIX="$PWD/build-win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
args=()
[[ $# -gt 0 ]] && args=("Z:$(realpath "$1" | tr / '\\')")
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  [[ -d "$WINEPREFIX" ]] || { wineboot --init >/dev/null 2>&1; wineserver -w; }
  wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wine build-win/bench/qfbench_dialogs.exe "$@"' _ "${args[@]}"
