#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
[ -f "$root/build/fuzz/CMakeCache.txt" ] || CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" \
  -DLUMERIC_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build/fuzz" -j "$(nproc 2>/dev/null || echo 2)" --target lumeric_fuzzers
