# What both MinGW-w64 toolchains share: the cross compilers of
# KUV_MINGW_PREFIX (the POSIX-threads flavour, which std::thread and
# GoogleTest need), where they find their libraries, a runtime linked into
# each binary and the programs run under Wine. Included by
# mingw-w64-x86_64.cmake and mingw-w64-i686.cmake, which name the target.
set(CMAKE_SYSTEM_NAME Windows)

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
# binary, so kuv.dll and the test programs need no DLL but the system's
# (the 32-bit toolchain keeps that for kuv.dll alone).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Every program and DLL in one folder: Windows finds a DLL beside the
# program that loads it.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# wine_run.sh picks the Wine loader that fits each program: 32-bit or
# 64-bit.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine_run.sh)
