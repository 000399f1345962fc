#!/usr/bin/env bash
# Wine figures for scripts/bench.sh: CPU of the Windows process over a silent
# 5000 ms exchange and with the port open and idle for 10 s. Release builds in
# build/bench-win (the Windows program) and build/bench (lumeric-sim), a Wine
# prefix of their own in build/bench/wineprefix. Prints figures only.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win="$root/build/bench-win"
native="$root/build/bench"
prefix="$native/wineprefix"

cmake -S "$root" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$win" -j 2 --target serial_bench >/dev/null
cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" -j 2 --target lumeric-sim >/dev/null

"$root/scripts/wine-prefix.sh" start "$prefix"
trap '"$root/scripts/wine-prefix.sh" stop "$prefix"' EXIT
"$root/tests/e2e/run-with-sim.sh" --prefix "$prefix" --sim "$native/sim/lumeric-sim" --com 90 \
  -- "$win/bench/serial_bench.exe"
