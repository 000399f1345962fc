# Sourced, not run: the environment every Wine call of the tests, the demo and
# the benchmarks uses. Set WINEPREFIX before sourcing.
: "${WINEPREFIX:?set WINEPREFIX to the private prefix folder}"
export WINEPREFIX
export WINEDEBUG=-all
# Never offer to download Mono or Gecko.
export WINEDLLOVERRIDES="mscoree=;mshtml="
# ANSI code page 936, as on a Chinese Windows.
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
