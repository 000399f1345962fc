# Sourced, not run: the environment every Wine call of the tests, the demo and
# the benchmarks uses. Set WINEPREFIX before sourcing; start Wine with
# scripts/lib/wine.sh.
: "${WINEPREFIX:?set WINEPREFIX to the private prefix folder}"
export WINEPREFIX
export WINEDEBUG=-all
# Never offer to download Mono or Gecko.
export WINEDLLOVERRIDES="mscoree=;mshtml="
# ANSI code page 936, as on a Chinese Windows, unless LUMERIC_LOCALE names
# another (en_US.UTF-8: code page 1252, as on an English Windows).
export LANG=${LUMERIC_LOCALE:-zh_CN.UTF-8}
export LC_ALL=$LANG
# The Windows build this host runs, decided once for every Wine call below.
LUMERIC_WIN_ARCH=${LUMERIC_WIN_ARCH:-$("$(dirname "${BASH_SOURCE[0]}")/win-arch.sh" --quiet)}
export LUMERIC_WIN_ARCH
