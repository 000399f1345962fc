#!/usr/bin/env bash
# Builds both trees: build/win (Lumeric.exe and the Windows test programs,
# cross-built with MinGW) and build/native (lumeric-sim and the native tests,
# with AddressSanitizer and UndefinedBehaviorSanitizer). The native tree runs
# every tier, the Windows programs under Wine included.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S "$root" -B "$root/build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/win" -j "$jobs"

cmake -S "$root" -B "$root/build/native" -DLUMERIC_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
  -DLUMERIC_WIN_BUILD_DIR="$root/build/win" >/dev/null
cmake --build "$root/build/native" -j "$jobs"
