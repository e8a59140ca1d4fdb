# Cross-builds the suite for 64-bit Windows with Debian's MinGW-w64 (POSIX
# threads, for std::thread) and runs what it built under Wine:
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# There is no Qt for Windows here, so the build is the command lines and the
# cores with their tests (SUITE_BUILD_UI is OFF).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(suite_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${suite_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${suite_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${suite_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${suite_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Release at -O2, as the Linux build: GCC 12 at -O3 warns of out-of-bounds
# and overlapping copies inlined from std::vector and std::string that
# cannot happen (GCC bugs 105329, 105651), and -Werror stops on them.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "" FORCE)
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "" FORCE)

# One .exe that needs no MinGW DLL beside it: the zip holds the programs only.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(SUITE_BUILD_UI OFF CACHE BOOL "No Qt for Windows in the cross build" FORCE)

# Tests and the programs' runs at build time go through Wine when it is there.
find_program(SUITE_WINE NAMES wine64 wine PATHS /usr/lib/wine)
find_program(SUITE_WINESERVER NAMES wineserver64 wineserver PATHS /usr/lib/wine)
if(SUITE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SUITE_WINE})
endif()
