# Cross-compiles kuv for 32-bit Windows (x86) with MinGW-w64, for the hosts
# that are 32-bit processes. Programs built here run under 32-bit Wine
# (wine32) through scripts/wine_run.sh.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KUV_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# 32-bit MinGW-w64 unwinds C++ exceptions with DWARF tables, and a copy of
# libgcc knows those of its own module only: kuv::Error, thrown in
# kuvdocument.dll and caught by the program that called it, needs the one
# shared libgcc. So here the programs and kuvdocument.dll use the
# compiler's runtime DLLs (cmake/windows_runtime.cmake puts them beside
# them); kuv.dll, whose C interface lets no exception out, keeps its
# runtime inside.
set(CMAKE_EXE_LINKER_FLAGS_INIT "")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "")
set(KUV_MINGW_RUNTIME_DLLS libgcc_s_dw2-1.dll libstdc++-6.dll libwinpthread-1.dll)
