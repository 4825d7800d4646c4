# Cross build of the 64-bit Windows library (BV3Dll.dll for 64-bit hosts, and the test programs
# that run under 64-bit Wine where the kernel runs no 32-bit programs) with Debian's mingw-w64
# packages (g++-mingw-w64-x86-64-posix, binutils-mingw-w64-x86-64, mingw-w64-tools).
#
#   cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake
#
# The same settings as the 32-bit build (cmake/toolchain-i686-w64-mingw32.cmake): the posix
# thread model, the runtime linked statically.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BV3_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BV3_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BV3_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${BV3_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${BV3_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built here run under 64-bit Wine. Debian's wine64 package puts its loader in
# /usr/lib/wine without a `wine` on PATH; a full Wine installation has `wine`, which starts
# 64-bit programs too.
find_program(BV3_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(BV3_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BV3_WINE})
endif()
