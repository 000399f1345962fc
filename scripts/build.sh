#!/usr/bin/env bash
# Builds the trees: build/win (the shipped 32-bit Lumeric.exe and the Windows
# test programs, cross-built with MinGW), on hosts without 32-bit support also
# build/win-x86_64 (the same sources for x86-64, which their Wine tiers run;
# see scripts/lib/win-arch.sh), and build/native (lumeric-sim and the native tests,
# with AddressSanitizer and UndefinedBehaviorSanitizer), and build/fuzz (the
# fuzzers, with clang). The native tree runs every tier, the Windows programs
# under Wine and the fuzzers included.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$("$root/scripts/lib/win-arch.sh")

# Every host builds the shipped 32-bit tree, so every run proves that it compiles and links.
"$root/scripts/lib/build-win.sh" i686 "$root/build/win"
win=$root/build/win
if [ "$arch" != i686 ]; then
  win=$root/build/win-$arch
  "$root/scripts/lib/build-win.sh" "$arch" "$win"
fi

"$root/scripts/lib/build-fuzz.sh"

cmake -S "$root" -B "$root/build/native" -DLUMERIC_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
  -DLUMERIC_WIN_BUILD_DIR="$win" -DLUMERIC_WIN_ARCH="$arch" -DLUMERIC_FUZZ_BUILD_DIR="$root/build/fuzz" >/dev/null
cmake --build "$root/build/native" -j "$(nproc 2>/dev/null || echo 2)"
