#!/usr/bin/env bash
# Configures (when new) and builds a Windows tree cross-built with MinGW-w64.
#   build-win.sh ARCH TREE [BUILD_TYPE] [TARGET...]   ARCH i686 or x86_64,
#                                                     BUILD_TYPE default Release
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
arch=${1:?i686 or x86_64}
tree=${2:?build tree}
type=${3:-Release}
shift $(($# < 3 ? $# : 3))
targets=()
for target in "$@"; do targets+=(--target "$target"); done

[ -f "$tree/CMakeCache.txt" ] || cmake -S "$root" -B "$tree" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE="$type" >/dev/null
cmake --build "$tree" -j "$(nproc 2>/dev/null || echo 2)" "${targets[@]}"
