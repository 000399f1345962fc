#!/usr/bin/env bash
# The gateway's spool at its limits, for scripts/bench.sh. Prints figures only.
#  - 1,000,000 pending readings (the default bound): resident memory of a
#    process holding them, then lumeric-cli started on them (no broker there):
#    its peak resident memory and the time from its start to its first poll.
#  - 100,000 pending drained to a local mosquitto while a pass of three
#    readings is kept every 100 ms: readings a second, and the latest pass.
#  - A 60 s outage (no broker) of lumeric-cli polling three units at the
#    wire's pace with --spool-limit 1000: the most lines the spool held.
#
# Usage: bench-gateway.sh BUILD_DIR (with bench/bench_gateway_spool, sim/lumeric-sim, src/cli/lumeric-cli)
set -euo pipefail
build=$1
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
bench="$build/bench/bench_gateway_spool"
cli="$build/src/cli/lumeric-cli"

free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
closed=$(free_port)  # nobody listens there: the broker is away

"$build/sim/lumeric-sim" --link "$work/line" --control 0 --unit 1 --unit 2 --unit 3 >"$work/sim.out" &
pids+=($!)
for _ in $(seq 100); do grep -q '^ready$' "$work/sim.out" && break; sleep 0.05; done

echo "1,000,000 pending (aims: at most 64 MB running and reopening, first poll within 2 s)"
"$bench" fill "$work/million" 1000000 | sed 's/^/  /'
start=${EPOCHREALTIME/./}
/usr/bin/time -f %M -o "$work/rss" "$cli" "$work/line" poll --addresses 1 --count 1 --no-discovery \
  --mqtt "mqtt://127.0.0.1:$closed" --spool "$work/million" >"$work/first" 2>/dev/null &
pids+=($!)
while ! grep -q ' station ' "$work/first" 2>/dev/null; do sleep 0.005; done
first=${EPOCHREALTIME/./}
wait "${pids[-1]}" || true
echo "  lumeric-cli on them: first poll $(( (first - start) / 1000 )) ms after its start; peak resident memory $(( $(cat "$work/rss") / 1024 )) MB"

echo "100,000 pending drained to a local mosquitto (aims: at least 5,000 a second, no pass late by more than 50 ms)"
port=$(free_port)
mosquitto -p "$port" >/dev/null 2>&1 &
pids+=($!)
sleep 0.5
"$bench" fill "$work/backlog" 100000 >/dev/null
"$bench" drain "$work/backlog" "$port" 100000 | sed 's/^/  /'

echo "60 s outage at --spool-limit 1000 (aim: at most 2,000 lines in the spool)"
"$cli" "$work/line" poll --addresses 1-3 --period 0 --no-discovery --mqtt "mqtt://127.0.0.1:$closed" \
  --spool "$work/outage" --spool-limit 1000 >"$work/outage.out" 2>/dev/null &
gateway=$!
pids+=($gateway)
most=0
for _ in $(seq 120); do
  sleep 0.5
  lines=$(cat "$work/outage"/*.seg 2>/dev/null | wc -l || true)
  [ "$lines" -gt "$most" ] && most=$lines
done
kill -TERM "$gateway"; wait "$gateway" || true
echo "  $(grep -c ' station ' "$work/outage.out" || true) readings taken; the spool held at most $most lines"
