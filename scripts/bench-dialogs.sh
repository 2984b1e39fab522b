#!/usr/bin/env bash
# Measures how the dialogs answer while their workers read a large file: builds qfbench_dialogs
# into build-win and runs it under Wine in a virtual screen.
#   scripts/bench-dialogs.sh [FILE.obj]             the progress dialog (default: qfbench's 200 MB grid)
#   scripts/bench-dialogs.sh --options [FILE.obj]   the options dialog filling its object list
#                                                   (default: qfbench's file of 20,000 groups)
# The default files are written when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DQF_BUILD_BENCH=ON >/dev/null
cmake --build build-win -j"$jobs" --target qfbench_dialogs
export WINEPREFIX="$PWD/build-win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
args=()
for arg in "$@"; do
  if [[ $arg == --* ]]; then args+=("$arg"); else args+=("Z:$(realpath "$arg" | tr / '\\')"); fi
done
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  [[ -d "$WINEPREFIX" ]] || { wineboot --init >/dev/null 2>&1; wineserver -w; }
  wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wine build-win/bench/qfbench_dialogs.exe "$@"' _ "${args[@]}"
