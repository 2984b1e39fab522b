#!/usr/bin/env bash
# Photographs the progress dialog in the middle of an import and the warnings dialog with its
# scroll bar, under Wine in a virtual screen (after scripts/test-windows.sh built build-win):
#   scripts/screenshot-dialogs.sh [OUT_DIR]   writes progress_dialog.png and warnings_dialog.png
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build-win}")
mkdir -p "$out"
export WINEPREFIX="$PWD/build-win/wineprefix" WINEDEBUG=-all
xvfb-run -a -s "-screen 0 800x600x24" bash -c "
  wine build-win/tools/dialog_demo.exe progress 8 >/dev/null &
  sleep 5
  import -window root '$out/progress_dialog.png'
  wait
  wine build-win/tools/dialog_demo.exe warnings 60 --close-after 6000 &
  sleep 4
  import -window root '$out/warnings_dialog.png'
  wait"
echo "screenshots: $out/progress_dialog.png $out/warnings_dialog.png"
