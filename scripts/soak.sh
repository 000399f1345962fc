#!/usr/bin/env bash
# The soak, not part of CI: Lumeric.exe under Wine for MINUTES (default 10)
# running continuous acquisition every 300 ms against a unit whose fault
# changes every 30 s, and a multi-unit cycle over four units on another port,
# unit 3 silent every other 30 s. Prints each phase's counts, then a table of
# handles, memory and window objects (start, end, maximum, slope per hour)
# and plain verdicts. Exits non-zero when a verdict is bad.
#   soak.sh [MINUTES]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
minutes=${1:-10}
native=$root/build/soak

"$root/scripts/install-packages.sh"
export LUMERIC_WIN_ARCH
LUMERIC_WIN_ARCH=$("$root/scripts/lib/win-arch.sh")
win=$root/build/win
[ "$LUMERIC_WIN_ARCH" = i686 ] || win=$root/build/win-$LUMERIC_WIN_ARCH
"$root/scripts/lib/build-win.sh" "$LUMERIC_WIN_ARCH" "$win" Release soak_e2e >/dev/null
cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" -j "$(nproc 2>/dev/null || echo 2)" --target lumeric-sim >/dev/null

prefix=$native/wineprefix-$LUMERIC_WIN_ARCH
"$root/scripts/lib/wine-prefix.sh" start "$prefix"
trap '"$root/scripts/lib/wine-prefix.sh" stop "$prefix"' EXIT
echo "Soak of $minutes min; the figures follow when it ends."
units=()
for unit in 1 2 3 4; do units+=(--sim-arg --unit --sim-arg "$unit"); done
LUMERIC_SOAK_SECONDS=$((minutes * 60)) LUMERIC_SOAK_PHASE=30 \
  "$root/tests/e2e/run-with-sim.sh" --prefix "$prefix" --sim "$native/sim/lumeric-sim" --com 2 --sims 2 \
  "${units[@]}" -- "$win/e2e-bin/soak_e2e.exe"
