#!/usr/bin/env bash
# Runs a demo of the Windows build under Wine in a virtual screen and saves screenshots
# (after scripts/test-windows.sh built build-win):
#   scripts/screenshot-demo.sh [OUT.png] [MESSAGE]   the skin demo; with MESSAGE, also the skinned
#                                                    message box over its frame
#   scripts/screenshot-demo.sh options [OUTDIR]      the options dialog on the example car, while
#                                                    it counts the file and once it is ready, and
#                                                    the about box
set -euo pipefail
cd "$(dirname "$0")/.."
export WINEPREFIX="$PWD/build-win/wineprefix" WINEDEBUG=-all
if [[ ${1:-} == options ]]; then
  outdir=$(realpath -m "${2:-build-win}")
  mkdir -p "$outdir"
  # The file is read over four seconds, so that the scan can be seen; the dialog closes after ten.
  xvfb-run -a -s "-screen 0 800x600x24" bash -c "
    wine build-win/tools/options_demo.exe examples/toy_car/toy_car.obj --read-for 4000 --close-after 10000 >/dev/null &
    sleep 3
    import -window root '$outdir/options_scanning.png'
    sleep 5
    import -window root '$outdir/options_ready.png'
    wait
    wine build-win/tools/options_demo.exe --about --close-after 4000 >/dev/null &
    sleep 2
    import -window root '$outdir/about_box.png'
    wait"
  echo "screenshots: $outdir/options_scanning.png $outdir/options_ready.png $outdir/about_box.png"
  exit 0
fi
out=$(realpath -m "${1:-build-win/skin_demo.png}")
xvfb-run -a -s "-screen 0 800x600x24" bash -c "
  wine build-win/tools/skin_demo.exe --close-after 6000 ${2:+--message \"$2\"} &
  sleep 4
  import -window root '$out'
  wait"
echo "screenshot: $out"
