#!/usr/bin/env bash
# A private Wine prefix for the Windows programs.
#   wine-prefix.sh start PREFIX   create it once (about 6 s), then keep its wineserver
#                                 running so each program starts quickly
#   wine-prefix.sh stop PREFIX    end that wineserver and every Wine process it serves
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=${1:?start or stop}
WINEPREFIX=$(mkdir -p "${2:?prefix folder}" && cd "$2" && pwd)
. "$here/wine-env.sh"

case "$action" in
  start)
    if [ ! -f "$WINEPREFIX/.lumeric-ready" ]; then
      "$here/wine.sh" wineboot.exe -i >/dev/null 2>&1
      # No display: windows exist and work but are drawn nowhere.
      "$here/wine.sh" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
      # The driver is chosen when the server starts: restart it.
      "$here/wine.sh" --server -w
      touch "$WINEPREFIX/.lumeric-ready"
    fi
    # Persistent until `stop`. Its output must not hold the caller's pipes open.
    # It answers 2 when the server is already up, which is what we want anyway.
    "$here/wine.sh" --server -p </dev/null >/dev/null 2>&1 || [ $? -eq 2 ]
    ;;
  stop)
    "$here/wine.sh" --server -k 2>/dev/null || true
    "$here/wine.sh" --server -w 2>/dev/null || true
    ;;
  *)
    echo "usage: $0 start|stop PREFIX" >&2
    exit 2
    ;;
esac
