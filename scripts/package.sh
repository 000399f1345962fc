#!/usr/bin/env bash
# Builds the release as it ships, the 32-bit programs optimised, stripped and
# statically linked, in a tree of its own (build/release), and writes to
# build/dist: Lumeric-<version>-setup.exe, Lumeric-<version>-portable.zip and
# SHA256SUMS. The version is the one in the top CMakeLists.txt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tree=$root/build/release
dist=$root/build/dist

command -v makensis >/dev/null || { echo "package.sh: makensis not found (scripts/install-packages.sh installs it)" >&2; exit 1; }

# -s: the shipped programs carry no symbols.
[ -f "$tree/CMakeCache.txt" ] || cmake -S "$root" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXE_LINKER_FLAGS=-s >/dev/null
cmake --build "$tree" -j "$(nproc 2>/dev/null || echo 2)" --target lumeric_release

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$tree/CMakeCache.txt")
packages=("Lumeric-$version-setup.exe" "Lumeric-$version-portable.zip")
rm -rf "$dist"
mkdir -p "$dist"
for package in "${packages[@]}"; do cp "$tree/dist/$package" "$dist/"; done
(cd "$dist" && sha256sum "${packages[@]}" >SHA256SUMS)
echo "Release $version in $dist:"
ls -l "$dist"
