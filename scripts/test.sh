#!/usr/bin/env bash
# Every test: installs what is missing, builds both trees and the release (so
# that a release can never fail to build), checks the Debian package, runs the
# unit, integration and end-to-end tiers through CTest and ends with its summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-packages.sh"
# The layout that .clang-format describes: a C++ file it would change fails the run.
(cd "$root" && find src sim bench tests \( -name '*.cpp' -o -name '*.h' \) -not -path '*/corpus/*' -print0 |
  xargs -0 clang-format --dry-run --Werror)
"$root/scripts/build.sh"
"$root/scripts/package.sh"
# The package tier: the .deb as a site would install it.
"$root/tests/package/check-deb.sh" "$root/build/dist"

cd "$root/build/native"
ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" "$@"
