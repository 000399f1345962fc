#!/usr/bin/env bash
# Performance figures. Prints, never fails on a time: the aims are printed
# beside the figures for a person to judge.
#
# Native section (bench/bench_exchange.cpp, Release build in
# build/bench, against lumeric-sim on a pty at 9600 baud):
#  - CPU of one console exchange with a silent unit (the full 5000 ms wait):
#    getrusage(RUSAGE_SELF) user+sys around the exchange, as % of one core.
#  - Latency from a reply's last byte to the exchange's return: lumeric-sim
#    records the CLOCK_MONOTONIC time at which it hands the last byte of a
#    reply to the pty (control command `lastreplyend`); the benchmark reads
#    the same clock as soon as Exchange returns, and prints the difference.
#
# Poll section (scripts/lib/bench-poll.sh): a pass over 16 simulated units by
# lumeric-cli poll and by mbpoll, at 9600 and 19200 bit/s, beside the wire's
# limit.
#
# Trend section (bench/trend_bench.cpp, same Release build): the trend's
# history for 16 units × 4 channels over 24 h at one poll a second each
# (memory, append time, the visible points of a 1920 px view at spans from
# 1 min to 24 h) and the load of that run's records file (1.4 M lines);
# beside them the window's own paint of that day under Wine
# (scripts/lib/bench-trend-wine.sh, bench/trend_paint_bench.cpp).
#
# Gateway section (scripts/lib/bench-gateway.sh): the spool with a million
# pending, a backlog drained to mosquitto, the spool's size through an outage.
#
# Each further section (Wine figures...) goes below as its own section.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"

section() { printf '\n== %s ==\n' "$1"; }

section "Build: Release, native ($build)"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j 2 --target bench_exchange trend_bench bench_gateway_spool lumeric-sim lumeric-cli >/dev/null
echo "built"

section "Native: the exchange over a pty against lumeric-sim"
"$build/bench/bench_exchange"

section "Trend: the history of 16 units over 24 h, the view, the records file"
"$build/bench/trend_bench"
echo "Under Wine, the trend window's own paint of the same day:"
"$root/scripts/lib/bench-trend-wine.sh"

section "Poll: a pass over 16 units, lumeric-cli and mbpoll against lumeric-sim"
"$root/scripts/lib/bench-poll.sh" "$build"

section "Gateway: the spool at its limits"
"$root/scripts/lib/bench-gateway.sh" "$build"

# ---- Wine section (scripts/lib/bench-wine.sh, kept by the serial port's developer) ----
if [ -x "$root/scripts/lib/bench-wine.sh" ]; then
  section "Wine: CPU of the Windows process against lumeric-sim"
  "$root/scripts/lib/bench-wine.sh"
fi
