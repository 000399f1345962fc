# Sourced by the Wine benchmarks, $root set: the Windows build that
# scripts/lib/win-arch.sh picks, its Release tree $win, and the benchmarks'
# own Wine prefix $prefix, which start_bench_prefix starts until the exit.
export LUMERIC_WIN_ARCH
LUMERIC_WIN_ARCH=$("$root/scripts/lib/win-arch.sh")
win="$root/build/bench-win-$LUMERIC_WIN_ARCH"
prefix="$root/build/bench/wineprefix-$LUMERIC_WIN_ARCH"

start_bench_prefix() {
  "$root/scripts/lib/wine-prefix.sh" start "$prefix"
  trap '"$root/scripts/lib/wine-prefix.sh" stop "$prefix"' EXIT
}
