# 64-bit Windows programs of the same sources, for the Windows-side tests on
# hosts that cannot execute 32-bit code (they run under wine64).
set(LUMERIC_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
