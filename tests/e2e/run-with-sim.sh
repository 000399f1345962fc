#!/usr/bin/env bash
# Runs one Windows program under Wine against simulated units.
#
#   run-with-sim.sh --prefix DIR --sim PATH --com N [--sims K] [--sim-arg ARG]... -- PROGRAM [ARGS...]
#
# Starts K lumeric-sim processes (default 1), each with the --sim-arg options,
# links the k-th one's pty as COM N+k-1 in the Wine prefix, and runs PROGRAM
# (a Windows .exe) with, for the first sim, LUMERIC_COM and LUMERIC_SIM_CONTROL
# (host:port of its control channel), and for the k-th, LUMERIC_COM_k and
# LUMERIC_SIM_CONTROL_k. The sims are stopped when the program ends, whatever
# its outcome; the program's exit code is this script's.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

prefix= sim= com= sims=1 sim_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --sim) sim=$2; shift 2 ;;
    --com) com=$2; shift 2 ;;
    --sims) sims=$2; shift 2 ;;
    --sim-arg) sim_args+=("$2"); shift 2 ;;
    --) shift; break ;;
    *) echo "run-with-sim.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
: "${prefix:?--prefix}" "${sim:?--sim}" "${com:?--com}"
[ $# -gt 0 ] || { echo "run-with-sim.sh: no program" >&2; exit 2; }

WINEPREFIX=$(cd "$prefix" && pwd)
. "$here/../../scripts/wine-env.sh"

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

# Prints the sim's control port once it says "ready"; fails after 10 s.
await_ready() {
  local out=$1 pid=$2
  for _ in $(seq 200); do
    if grep -qx ready "$out"; then
      sed -n 's/^control \([0-9]*\)$/\1/p' "$out"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  echo "run-with-sim.sh: lumeric-sim did not start:" >&2
  cat "$out" >&2
  return 1
}

for k in $(seq 1 "$sims"); do
  n=$((com + k - 1))
  out="$work/sim$k.out"
  "$sim" --link "$WINEPREFIX/dosdevices/com$n" "${sim_args[@]}" >"$out" 2>&1 &
  pids+=($!)
  port=$(await_ready "$out" "$!")
  suffix=$([ "$k" -eq 1 ] && echo "" || echo "_$k")
  export "LUMERIC_COM$suffix=$n" "LUMERIC_SIM_CONTROL$suffix=127.0.0.1:$port"
done

# Wine starts its helper processes (services, explorer...) from the first
# program of a prefix, and they live as long as the prefix's wineserver:
# they must not inherit CTest's pipes, or CTest would wait for them.
# In the background, so that a TERM from CTest's time-out ends it at once.
set +e
wine "$@" </dev/null >"$work/program.out" 2>&1 &
pids+=($!)
wait $!
status=$?
set -e
exit "$status"
