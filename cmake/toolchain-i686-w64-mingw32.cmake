# Cross build of the 32-bit Windows library (BV3Dll.dll) with Debian's mingw-w64 packages
# (g++-mingw-w64-i686, binutils-mingw-w64-i686, mingw-w64-tools).
#
#   cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake
#
# The posix thread model is used because the standard library's threads, mutexes and
# condition variables need it; the runtime is linked statically, so the DLL depends on
# nothing but Windows' own system libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(BV3_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${BV3_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BV3_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${BV3_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${BV3_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built here run under Wine: CTest and gtest_discover_tests go through it.
find_program(BV3_WINE NAMES wine)
if(BV3_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BV3_WINE})
endif()
