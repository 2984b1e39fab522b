#!/usr/bin/env bash
# Runs the plug-in inside the stand-in host under Wine:
#   scripts/run-host.sh [FILE.obj]
# On a display the host opens as a window to use (with FILE, its import starts at once). Without
# a display the import of FILE (the example car by default) runs under Xvfb, its dialogs walked
# like a user would, and a picture of every dialog is saved into build/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --windows
# The Windows build tree the tests use; a fresh one is made without the tests.
tests_flag=()
[[ -f build-win/CMakeCache.txt ]] || tests_flag=(-DQF_BUILD_TESTS=OFF)
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DQF_BUILD_BENCH=OFF "${tests_flag[@]}" >/dev/null
cmake --build build-win -j"$(nproc 2>/dev/null || echo 2)" --target qfhost

# A Wine prefix of its own, kept between runs (the tests make theirs afresh).
export WINEPREFIX="$PWD/build-win/hostprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
host=build-win/tools/qfhost.exe
file=${1:-}
if [[ -n ${DISPLAY:-} ]]; then
  [[ -d $WINEPREFIX ]] || wineboot --init >/dev/null 2>&1
  if [[ -n $file ]]; then
    wine "$host" --answer "$(winepath -w "$(realpath "$file")")" --pick qf::ObjImport
  else
    wine "$host"
  fi
  wineserver -w
  exit 0
fi

file=${file:-examples/toy_car/toy_car.obj}
shots=build/screenshots
mkdir -p "$shots"
rm -f "$shots"/*.png "$shots"/*.bmp "$shots"/tour.txt
# Without a window manager in the virtual screen, Wine draws the windows' frames itself (and does
# not wait for a manager at every hidden window): a prefix of its own for that.
export WINEPREFIX="$PWD/build-win/shotprefix"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  if [[ ! -d $WINEPREFIX ]]; then
    wineboot --init >/dev/null 2>&1; wineserver -w
    wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1; wineserver -w
  fi
  wine "$0" --answer "$(winepath -w "$(realpath "$1")")" --pick qf::ObjImport \
    --tour "$(winepath -w "$(realpath "$2")")" --scene "$(winepath -w "$(realpath -m build/host_scene.json)")"
  status=$?
  wineserver -k
  exit $status' "$host" "$file" "$shots" || status=$?
for picture in "$shots"/*.bmp; do
  [[ -e $picture ]] || continue
  convert "$picture" "${picture%.bmp}.png" && rm "$picture"
done
echo "pictures: $(ls "$shots"/*.png 2>/dev/null | wc -l) in $shots; scene: build/host_scene.json"
exit "${status:-0}"
