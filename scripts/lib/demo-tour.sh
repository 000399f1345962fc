#!/usr/bin/env bash
# The scripted tour of the console without a display: a private Xvfb, a Wine
# desktop of 1024x700 on it, and the tour program (console_tour.exe, which
# starts the Lumeric.exe beside it and drives it). Each time the tour asks for
# a screenshot (a NAME.want file), this script takes one of the whole screen
# as NAME.png.
#   demo-tour.sh TOUR_EXE SHOT_DIR      (WINEPREFIX set, COM1 linked)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tour=${1:?tour program}
shots=${2:?screenshot folder}
. "$here/wine-env.sh"

display=
for n in $(seq 90 150); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=:$n; break; fi
done
[ -n "$display" ] || { echo "demo-tour.sh: no free X display number" >&2; exit 1; }

Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap '"$here/wine.sh" --server -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.05; done

rm -rf "$shots"
mkdir -p "$shots"
export LUMERIC_TOUR_DIR
LUMERIC_TOUR_DIR=$("$here/wine.sh" winepath.exe -w "$shots")
DISPLAY=$display "$here/wine.sh" explorer /desktop=lumeric,1024x700 "$tour" >/dev/null 2>&1 &

deadline=$((SECONDS + 180))
while [ ! -f "$shots/tour.done" ]; do
  for want in "$shots"/*.want; do
    [ -e "$want" ] || continue
    name=${want%.want}
    # The tour waits for NAME.png: let it appear only when complete.
    import -display "$display" -window root "$name.tmp.png"
    mv "$name.tmp.png" "$name.png"
    rm -f "$want"
    echo "  $name.png"
  done
  if [ "$SECONDS" -ge "$deadline" ]; then
    echo "demo-tour.sh: the tour did not finish within 180 s" >&2
    exit 1
  fi
  sleep 0.2
done
outcome=$(cat "$shots/tour.done")
[ "$outcome" = ok ] || { echo "demo-tour.sh: the tour failed: $outcome" >&2; exit 1; }
