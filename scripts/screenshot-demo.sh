#!/usr/bin/env bash
# Runs the skin demo of the Windows build under Wine in a virtual screen and saves a screenshot:
#   scripts/screenshot-demo.sh [OUT.png] [MESSAGE]   (after scripts/test-windows.sh built build-win)
# With MESSAGE, the demo shows it in the skinned message box over the frame.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build-win/skin_demo.png}")
export WINEPREFIX="$PWD/build-win/wineprefix" WINEDEBUG=-all
xvfb-run -a -s "-screen 0 800x600x24" bash -c "
  wine build-win/tools/skin_demo.exe --close-after 6000 ${2:+--message \"$2\"} &
  sleep 4
  import -window root '$out'
  wait"
echo "screenshot: $out"
