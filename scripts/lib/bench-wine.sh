#!/usr/bin/env bash
# Wine figures for scripts/bench.sh: CPU of the Windows process over a silent
# 5000 ms exchange and with the port open and idle for 10 s. Release builds in
# build/bench-win-ARCH (the Windows program, for the build scripts/lib/win-arch.sh
# picks) and build/bench (lumeric-sim), a Wine prefix of their own in
# build/bench/wineprefix-ARCH. Prints figures only.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/bench-wine-prefix.sh"
native="$root/build/bench"

"$root/scripts/lib/build-win.sh" "$LUMERIC_WIN_ARCH" "$win" Release serial_bench >/dev/null
cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" -j 2 --target lumeric-sim >/dev/null

start_bench_prefix
"$root/tests/e2e/run-with-sim.sh" --prefix "$prefix" --sim "$native/sim/lumeric-sim" --com 90 \
  -- "$win/bench/serial_bench.exe"
