#!/usr/bin/env bash
# run-with-sim.sh --prefix DIR --sim PATH --com N [--sims K] [--deadline S] [--sim-arg ARG]... -- PROGRAM [ARGS...]
# Runs a Windows program under Wine against K lumeric-sims (default 1), the k-th
# linked as COM N+k-1 and announced in LUMERIC_COM[_k] and LUMERIC_SIM_CONTROL[_k]
# (host:port of its control channel; no suffix for the first). Exits as the program does.
# --deadline: stop the program after S seconds. Set below CTest's own time-out,
# whose kill would take this script with it before it could show the output.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

prefix= sim= com= sims=1 deadline=0 sim_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --sim) sim=$2; shift 2 ;;
    --com) com=$2; shift 2 ;;
    --sims) sims=$2; shift 2 ;;
    --deadline) deadline=$2; shift 2 ;;
    --sim-arg) sim_args+=("$2"); shift 2 ;;
    --) shift; break ;;
    *) echo "run-with-sim.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
: "${prefix:?--prefix}" "${sim:?--sim}" "${com:?--com}" "${1:?no program}"

WINEPREFIX=$(cd "$prefix" && pwd)
. "$here/../../scripts/lib/wine-env.sh"

work=$(mktemp -d)
pids=()
# Also on a time-out: the program's output so far is shown either way.
finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  [ -f "$work/program.out" ] && cat "$work/program.out"
  rm -rf "$work"
}
trap finish EXIT
trap "exit 143" TERM INT

for k in $(seq 1 "$sims"); do
  out="$work/sim$k.out"
  : >"$out"  # there before the wait below looks into it
  "$sim" --link "$WINEPREFIX/dosdevices/com$((com + k - 1))" "${sim_args[@]}" >"$out" 2>&1 &
  pid=$!
  pids+=("$pid")
  # The sim prints its control port, then "ready"; give it 10 s.
  for _ in $(seq 200); do grep -qx ready "$out" || ! kill -0 "$pid" 2>/dev/null && break; sleep 0.05; done
  grep -qx ready "$out" || { echo "run-with-sim.sh: lumeric-sim did not start:" >&2; cat "$out" >&2; exit 1; }
  suffix=$([ "$k" -eq 1 ] && echo "" || echo "_$k")
  export "LUMERIC_COM$suffix=$((com + k - 1))"
  export "LUMERIC_SIM_CONTROL$suffix=127.0.0.1:$(sed -n 's/^control \([0-9]*\)$/\1/p' "$out")"
done

# Wine's helper processes live as long as the prefix's wineserver: they must not
# inherit CTest's pipes, or CTest would wait for them. In the background, so
# that a TERM from CTest's time-out ends it at once.
status=0
timeout "$deadline" "$here/../../scripts/lib/wine.sh" "$@" </dev/null >"$work/program.out" 2>&1 &
pids+=($!)
wait $! || status=$?
[ "$status" -eq 124 ] && echo "run-with-sim.sh: the program was still running after $deadline s and was stopped" >>"$work/program.out"
exit "$status"
