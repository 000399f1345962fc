#!/usr/bin/env bash
# A pass over 16 simulated units, for scripts/bench.sh: lumeric-cli's poll
# and mbpoll against the same lumeric-sim, at 9600 and 19200 bit/s. Prints
# figures only.
#
# A pass is timed from the end of its first poll to the end of the next
# pass's first poll (the time each tool's line for that poll reaches this
# script, on the same clock for both), with no pause between passes: poll
# --period 0, mbpoll at its shortest poll rate (10 ms). Median of 12 passes.
#
# The wire's limit of a pass: for each of its 16 polls, the request (8 bytes)
# and the reply (13 bytes) at 10 bits a byte, the 3.5-character gap before the
# request, and the sim's turnaround, taken from its pacing: it begins a reply
# 3 ms after the request (its units' default response delay) and hands each
# byte over once its 10 bits would have crossed the wire. A pty hands over
# the request at once, though, so a tool can beat this limit by up to the 8
# request characters a poll: ratios above 100% are possible here.
#
# Usage: bench-poll.sh BUILD_DIR (with sim/lumeric-sim and src/cli/lumeric-cli)
set -euo pipefail
build=$1
passes=13  # 12 pass times between 13 first polls
polls=$((passes * 16))
work=$(mktemp -d)
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# Reads lines and prints, for each that matches $1, the microseconds at which
# it arrived, until $2 have come; then stops reading, which ends the writer.
stamp() {
  local line count=0
  while [ "$count" -lt "$2" ] && IFS= read -r line; do
    if [[ $line =~ $1 ]]; then
      echo "${EPOCHREALTIME/./}"
      count=$((count + 1))
    fi
  done
}

# The median pass time in ms from the stamps of all polls (16 a pass).
median_pass_ms() {
  awk 'NR % 16 == 1 { if (prev) print ($1 - prev) / 1000; prev = $1 }' "$1" | sort -n |
    awk '{ t[NR] = $1 } END { if (NR < 10) print "none"; else printf "%.1f", (NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2) }'
}

for baud in 9600 19200; do
  link="$work/line-$baud"
  units=()
  for address in $(seq 1 16); do units+=(--unit "$address:$baud"); done
  "$build/sim/lumeric-sim" --link "$link" --control 0 "${units[@]}" >"$work/sim.out" &
  sim_pid=$!
  for _ in $(seq 100); do grep -q '^ready$' "$work/sim.out" && break; sleep 0.05; done

  "$build/src/cli/lumeric-cli" "$link" poll --addresses 1-16 --baud "$baud" --period 0 --count "$passes" |
    tee "$work/cli.txt" | stamp ' station ' "$polls" >"$work/cli" || true
  # Register 0x40 is mbpoll's reference 65 (it counts from 1); the line of
  # the fourth register, 68, ends each reply's output.
  timeout 120 stdbuf -oL mbpoll -m rtu -b "$baud" -P none -a 1:16 -t 4 -r 65 -c 4 -l 10 -o 1 "$link" 2>/dev/null |
    stamp '^\[68\]:' "$polls" >"$work/mbpoll" || true

  kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true; sim_pid=

  failed=$(grep -c 'communication fault' "$work/cli.txt" || true)
  limit=$(awk -v b="$baud" 'BEGIN { printf "%.1f", 16 * ((8 + 13) * 10000 / b + 35000 / b + 3) }')
  pty_limit=$(awk -v b="$baud" 'BEGIN { printf "%.1f", 16 * (13 * 10000 / b + 35000 / b + 3) }')
  cli=$(median_pass_ms "$work/cli")
  mb=$(median_pass_ms "$work/mbpoll")
  ratio() { [ "$1" = none ] && echo "n/a" || awk -v l="${2:-$limit}" -v m="$1" 'BEGIN { printf "%.0f%%", 100 * l / m }'; }
  echo "pass over 16 units at $baud bit/s: wire's limit $limit ms (3 ms sim turnaround from its pacing)"
  echo "  lumeric-cli: median $cli ms = $(ratio "$cli") of the limit ($(grep -c . "$work/cli") polls, $failed failed)"
  echo "  mbpoll:      median $mb ms = $(ratio "$mb") of the limit ($(grep -c . "$work/mbpoll") polls answered)"
  echo "  (aim: lumeric-cli at least 90% of the limit and ahead of mbpoll)"
  echo "  without the request's characters, which the pty skips: $pty_limit ms;" \
    "lumeric-cli $(ratio "$cli" "$pty_limit"), mbpoll $(ratio "$mb" "$pty_limit")"
done
