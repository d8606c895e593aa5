# Cross-compiles kuv for 64-bit Windows (x64) with MinGW-w64. Programs built
# here run under Wine through scripts/wine_run.sh.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KUV_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
