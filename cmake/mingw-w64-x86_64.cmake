# Cross-compiles kuv for 64-bit Windows with MinGW-w64 (the POSIX-threads
# flavour, which std::thread and GoogleTest need). Programs built here run
# under Wine through scripts/wine_run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KUV_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KUV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KUV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KUV_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${KUV_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${KUV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's runtime (libstdc++, libgcc, winpthread) goes inside each
# binary, so kuv.dll and the test programs need no DLL but the system's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Every program and DLL in one folder: Windows finds a DLL beside the
# program that loads it.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine_run.sh)
