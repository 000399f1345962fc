#!/usr/bin/env bash
# The console running against simulated units.
#
# Installs what is missing, builds Lumeric.exe and lumeric-sim, starts three
# simulated units on one line (station 1 and 2 at 9600 bit/s, station 3 at
# 19200), links that line as COM1 in a demo Wine prefix, and runs the console:
#   - with a display ($DISPLAY set): in a window, until you close it;
#   - without one: a short scripted tour under Xvfb (open COM1, read the
#     voltage, a refused interval, continuous acquisition, the unit's
#     information, factory mode and one calibration, the multi-unit window
#     polling the three units with alarm limits, a channel ramped past its
#     limit, the alarm journal) that saves screenshots and prints where they are.
#
# Build trees: LUMERIC_WIN_BUILD_DIR (default build/win, or build/win-x86_64
# where scripts/lib/win-arch.sh picks the x86_64 build) and LUMERIC_NATIVE_BUILD_DIR
# (default build/native), configured as scripts/build.sh does when they are new.
# Demo prefix and screenshots: LUMERIC_DEMO_DIR (default build/demo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=${LUMERIC_NATIVE_BUILD_DIR:-$root/build/native}
demo=${LUMERIC_DEMO_DIR:-$root/build/demo}

"$root/scripts/install-packages.sh"

export LUMERIC_WIN_ARCH
LUMERIC_WIN_ARCH=$("$root/scripts/lib/win-arch.sh")
default_win=$root/build/win
[ "$LUMERIC_WIN_ARCH" = i686 ] || default_win=$root/build/win-$LUMERIC_WIN_ARCH
win=${LUMERIC_WIN_BUILD_DIR:-$default_win}

# Only what the demo needs.
"$root/scripts/lib/build-win.sh" "$LUMERIC_WIN_ARCH" "$win" Release Lumeric console_tour
[ -f "$native/CMakeCache.txt" ] || cmake -S "$root" -B "$native" -DLUMERIC_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=Debug -DLUMERIC_WIN_BUILD_DIR="$win" -DLUMERIC_WIN_ARCH="$LUMERIC_WIN_ARCH" >/dev/null
cmake --build "$native" -j "$(nproc 2>/dev/null || echo 2)" --target lumeric-sim

# A prefix per Windows build: one made by the 64-bit loader alone differs.
export WINEPREFIX=$demo/wineprefix-$LUMERIC_WIN_ARCH
"$root/scripts/lib/demo-prefix.sh" "$WINEPREFIX" "$demo/com1"
. "$root/scripts/lib/wine-env.sh"

sim_out=$demo/sim.out
"$native/sim/lumeric-sim" --link "$demo/com1" \
  --control 0 --unit 1:9600 --unit 2:9600 --unit 3:19200 >"$sim_out" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 200); do grep -qx ready "$sim_out" && break; sleep 0.05; done
grep -qx ready "$sim_out" || { echo "demo.sh: lumeric-sim did not start:" >&2; cat "$sim_out" >&2; exit 1; }
echo "Simulated units 1 and 2 (9600 bit/s) and 3 (19200 bit/s) on COM1; $(grep '^control' "$sim_out")."
# The tour moves the units' voltages through it.
export LUMERIC_SIM_CONTROL
LUMERIC_SIM_CONTROL=127.0.0.1:$(sed -n 's/^control \([0-9]*\)$/\1/p' "$sim_out")

if [ -n "${DISPLAY:-}" ]; then
  echo "Starting the console: choose port 1 and press 打开串口."
  "$root/scripts/lib/wine.sh" "$win/src/console/Lumeric.exe"
else
  echo "No display: a scripted tour under Xvfb. Screenshots:"
  "$root/scripts/lib/demo-tour.sh" "$win/e2e-bin/console_tour.exe" "$demo/screenshots"
  echo "Saved in $demo/screenshots"
fi
