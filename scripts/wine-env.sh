# Sourced, not run: the environment every Wine call of the tests, the demo and
# the benchmarks uses. Set WINEPREFIX before sourcing; start Wine with
# scripts/wine.sh.
: "${WINEPREFIX:?set WINEPREFIX to the private prefix folder}"
export WINEPREFIX
export WINEDEBUG=-all
# Never offer to download Mono or Gecko.
export WINEDLLOVERRIDES="mscoree=;mshtml="
# ANSI code page 936, as on a Chinese Windows.
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
# The Windows build this host runs, decided once for every Wine call below.
LUMERIC_WIN_ARCH=${LUMERIC_WIN_ARCH:-$("$(dirname "${BASH_SOURCE[0]}")/win-arch.sh" --quiet)}
export LUMERIC_WIN_ARCH
