#!/usr/bin/env bash
# Which build of the Windows programs this host's Wine tiers run (e2e, demo,
# Wine benchmarks): the shipped i686 build under 32-bit Wine where the host
# executes i386 code, otherwise the x86_64 build of the same sources under
# wine64. LUMERIC_WIN_ARCH=i686|x86_64 forces the choice.
#   win-arch.sh [--quiet]   prints i686 or x86_64; without --quiet, one line on
#                           stderr that says which and why
set -euo pipefail

say() { [ "${1:-}" = --quiet ] || echo "Windows tiers: $2" >&2; }

case "${LUMERIC_WIN_ARCH:-}" in
  i686) say "${1:-}" "the 32-bit build under 32-bit Wine (LUMERIC_WIN_ARCH=i686)"; echo i686; exit 0 ;;
  x86_64) say "${1:-}" "the x86_64 build under wine64 (LUMERIC_WIN_ARCH=x86_64)"; echo x86_64; exit 0 ;;
  "") ;;
  *) echo "win-arch.sh: LUMERIC_WIN_ARCH must be i686 or x86_64, not '$LUMERIC_WIN_ARCH'" >&2; exit 2 ;;
esac

# Debian's /usr/bin/wine picks this loader whenever the file exists, even
# where the kernel refuses to run it, so ask the loader itself.
if why=$(/usr/lib/wine/wine --version 2>&1 >/dev/null); then
  say "${1:-}" "the 32-bit build under 32-bit Wine (this host runs i386 programs)"
  echo i686
else
  why=${why##*: }
  say "${1:-}" "the x86_64 build under wine64 (32-bit Wine cannot run here: ${why:-not installed})"
  echo x86_64
fi
