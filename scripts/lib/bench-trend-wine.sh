#!/usr/bin/env bash
# The Wine figure for scripts/bench.sh beside the trend's native ones: the
# trend window's paint (bench/trend_paint_bench.cpp) of a day of 16 units
# into a 1920 x 1080 bitmap. Release build in build/bench-win-ARCH, a Wine
# prefix of its own in build/bench/wineprefix-ARCH. Prints figures only.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/bench-wine-prefix.sh"

"$root/scripts/lib/build-win.sh" "$LUMERIC_WIN_ARCH" "$win" Release trend_paint_bench >/dev/null
start_bench_prefix
export WINEPREFIX=$prefix
. "$root/scripts/lib/wine-env.sh"
"$root/scripts/lib/wine.sh" "$win/bench/trend_paint_bench.exe"
