#!/usr/bin/env bash
# The demo's own Wine prefix, drawn on a real (or Xvfb) display.
#   demo-prefix.sh PREFIX LINE    create it (once) and set it up, with a Chinese face for the
#                                 console's texts and COM1 on the pty link LINE
# Source scripts/lib/wine-env.sh with the same WINEPREFIX for every Wine call in it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
WINEPREFIX=$(mkdir -p "${1:?prefix folder}" && cd "$1" && pwd)
line=${2:?path of the simulated line}
. "$here/wine-env.sh"

[ -f "$WINEPREFIX/system.reg" ] || "$here/wine.sh" wineboot.exe -i >/dev/null 2>&1
# The console's dialog font is 宋体 (SimSun), which Wine does not ship: without a
# substitute the Chinese texts turn into boxes. WenQuanYi Micro Hei comes from
# fonts-wqy-microhei (scripts/install-packages.sh).
key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
for face in 宋体 SimSun; do
  "$here/wine.sh" reg add "$key" /v "$face" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
done
# The log and the voltage use Arial, which has no Chinese: link the same face
# behind it, as a Chinese Windows links SimSun.
link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
"$here/wine.sh" reg add "$link" /v Arial /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f >/dev/null 2>&1
# Wine maps COM1 to /dev/ttyS0 whenever it starts, unless told otherwise.
"$here/wine.sh" reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$line" /f >/dev/null 2>&1
# Settings take effect when the prefix next starts.
"$here/wine.sh" --server -k 2>/dev/null || true
"$here/wine.sh" --server -w
