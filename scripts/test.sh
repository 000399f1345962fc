#!/usr/bin/env bash
# Every test: installs what is missing, builds both trees, runs the unit,
# integration and end-to-end tiers through CTest and ends with its summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-packages.sh"
"$root/scripts/build.sh"

cd "$root/build/native"
ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" "$@"
