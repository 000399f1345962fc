#!/usr/bin/env bash
# The one way our scripts and tests start Wine, for the build that
# scripts/lib/win-arch.sh chose (LUMERIC_WIN_ARCH, decided here when unset).
#   wine.sh PROGRAM [ARGS...]   a Windows program, or one of Wine's own
#                               (wineboot.exe, winepath.exe, reg, explorer)
#   wine.sh --server [ARGS...]  the prefix's wineserver
# The caller sets WINEPREFIX and the rest of scripts/lib/wine-env.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
arch=${LUMERIC_WIN_ARCH:-$("$here/win-arch.sh" --quiet)}

if [ "${1:-}" = --server ]; then
  shift
  # Debian's script prefers the 64-bit server, which serves 32-bit programs too.
  exec wineserver "$@"
fi
case "$arch" in
  i686) exec wine "$@" ;;
  # /usr/bin/wine and its wineboot and winepath would take the 32-bit loader
  # whenever it is installed: call the 64-bit one, and let Wine's own helper
  # processes find it too.
  x86_64) export WINELOADER=/usr/lib/wine/wine64; exec "$WINELOADER" "$@" ;;
  *) echo "wine.sh: unknown Windows build '$arch'" >&2; exit 2 ;;
esac
