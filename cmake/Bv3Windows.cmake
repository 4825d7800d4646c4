# Settings of the Windows builds (mingw-w64: the 32-bit one the host loads, and the 64-bit one
# for 64-bit hosts). A host loads BV3Dll.dll into its own process, so the library must not
# depend on the compiler's runtime DLLs: everything is linked statically and only Windows' own
# system libraries remain as imports.
add_link_options(-static -static-libgcc -static-libstdc++)
# Programs and libraries land together, so that Windows' loader (which searches the
# program's directory first) finds BV3Dll.dll and tqrdll12.dll beside the test programs.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

# Debian ships no GoogleTest built for mingw; its sources (package googletest, or libgtest-dev)
# are built here with the cross compiler instead.
macro(bv3_windows_gtest)
  set(BV3_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows build")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${BV3_GTEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(target gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${target})
      add_library(GTest::${target} ALIAS ${target})
    endif()
  endforeach()
endmacro()

# Wine starts the test programs (the toolchain file names it as the emulator); each program is
# judged by its own summary, so a crash or a program that never reached its end fails even
# when Wine's exit status says otherwise.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR bash ${PROJECT_SOURCE_DIR}/tests/scripts/wine_gtest.sh ${CMAKE_CROSSCOMPILING_EMULATOR})
endif()
