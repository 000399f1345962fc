#!/usr/bin/env bash
# Builds the release as it ships, the 32-bit programs optimised, stripped and
# statically linked, in a tree of its own (build/release), the Linux programs
# as a Debian package in another (build/deb), and writes to build/dist:
# Lumeric-<version>-setup.exe, Lumeric-<version>-portable.zip,
# lumeric-cli_<version>_<arch>.deb and SHA256SUMS. The version is the one in
# the top CMakeLists.txt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tree=$root/build/release
dist=$root/build/dist

command -v makensis >/dev/null || { echo "package.sh: makensis not found (scripts/install-packages.sh installs it)" >&2; exit 1; }

# -s: the shipped programs carry no symbols.
[ -f "$tree/CMakeCache.txt" ] || cmake -S "$root" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXE_LINKER_FLAGS=-s >/dev/null
cmake --build "$tree" -j "$(nproc 2>/dev/null || echo 2)" --target lumeric_release

# The Debian package: a native release build without the tests, installed to
# /usr, hardened as Debian builds its own (dpkg-buildflags, every hardening flag).
deb_tree=$root/build/deb
if [ ! -f "$deb_tree/CMakeCache.txt" ]; then
  flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
  cmake -S "$root" -B "$deb_tree" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DLUMERIC_DEB_PACKAGE=ON \
    -DLUMERIC_GTEST_SOURCE="$deb_tree/no-tests" -DCMAKE_C_FLAGS="$(flags CPPFLAGS) $(flags CFLAGS)" \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" >/dev/null
fi
cmake --build "$deb_tree" -j "$(nproc 2>/dev/null || echo 2)"
rm -f "$deb_tree"/*.deb
(cd "$deb_tree" && cpack -G DEB >/dev/null)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$tree/CMakeCache.txt")
deb=$(cd "$deb_tree" && ls "lumeric-cli_${version}_"*.deb)
packages=("Lumeric-$version-setup.exe" "Lumeric-$version-portable.zip" "$deb")
rm -rf "$dist"
mkdir -p "$dist"
cp "$tree/dist/${packages[0]}" "$tree/dist/${packages[1]}" "$deb_tree/$deb" "$dist/"
(cd "$dist" && sha256sum "${packages[@]}" >SHA256SUMS)
echo "Release $version in $dist:"
ls -l "$dist"
