#!/usr/bin/env bash
# Runs every fuzzer for longer than CI does.
#   fuzz.sh [SECONDS]   each fuzzer for SECONDS (default 60), from its seeds in
#                       tests/fuzz/corpus. What it finds is kept in
#                       build/fuzz-found/NAME: new inputs in corpus/, failures
#                       as crash-* files (make each a unit test before fixing it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}

"$root/scripts/install-packages.sh"
"$root/scripts/lib/build-fuzz.sh"

status=0
for seeds in "$root"/tests/fuzz/corpus/*/; do
  name=$(basename "$seeds")
  echo "== $name for $seconds s"
  "$root/tests/fuzz/run-fuzzer.sh" "$root/build/fuzz/tests/fuzz/$name" "$seeds" \
    "$root/build/fuzz-found/$name" -max_total_time="$seconds" 2>&1 | grep -E '^(stat::|==|SUMMARY)|DONE' || status=1
done
ls "$root"/build/fuzz-found/*/crash-* 2>/dev/null && status=1
echo "New inputs and failures: $root/build/fuzz-found"
exit "$status"
