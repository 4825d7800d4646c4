# The download build: driver, loader configuration and the platform loader, against a spy
# encoder; and the stand-in encoder with its image format.

# These suites load libraries through the loader's Linux search rules (RUNPATH, LD_LIBRARY_PATH)
# and name the Linux files; the Windows build checks the same paths through BV3Dll.dll and
# tqrdll12.dll in tests/windows.cmake.
if(WIN32)
  return()
endif()

# The spy encoder and a library without the entry live in a directory that only
# test_qdfbuild searches (through its RUNPATH), so the real encoder in build/lib stays out of
# the driver's way there, and the spy out of everyone else's.
set(spy_directory ${CMAKE_CURRENT_BINARY_DIR}/spy)
add_library(bv3_spy_encoder SHARED ${CMAKE_CURRENT_SOURCE_DIR}/spy_encoder/spy_encoder.cpp)
set_target_properties(bv3_spy_encoder PROPERTIES OUTPUT_NAME tqrdll12 LIBRARY_OUTPUT_DIRECTORY ${spy_directory})
add_library(bv3_spy_no_entry SHARED ${CMAKE_CURRENT_SOURCE_DIR}/spy_encoder/no_entry.cpp)
set_target_properties(bv3_spy_no_entry PROPERTIES OUTPUT_NAME spynoentry LIBRARY_OUTPUT_DIRECTORY ${spy_directory})
bv3_warnings(bv3_spy_encoder)
bv3_warnings(bv3_spy_no_entry)
# The spies share the encoder's entry declaration with the driver, nothing else of the platform.
target_include_directories(bv3_spy_encoder PRIVATE $<TARGET_PROPERTY:bv3_platform_portable,INTERFACE_INCLUDE_DIRECTORIES>)
target_include_directories(bv3_spy_no_entry PRIVATE $<TARGET_PROPERTY:bv3_platform_portable,INTERFACE_INCLUDE_DIRECTORIES>)

# Under the sanitizers dlopen is intercepted, and the loader then searches the RUNPATH of the
# sanitizer runtime instead of the program's: the sanitized runs name the directories in
# LD_LIBRARY_PATH, the search's first step, instead.
set(spy_environment)
set(library_environment)
if(BV3_SANITIZE)
  set(spy_environment ENVIRONMENT LD_LIBRARY_PATH=${spy_directory})
  set(library_environment ENVIRONMENT LD_LIBRARY_PATH=${PROJECT_BINARY_DIR}/lib)
endif()

bv3_add_test_suite(NAME test_qdfbuild LABELS unit QT_OFFSCREEN ${spy_environment}
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_qdfbuild_config.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_qdfbuild_driver.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_qdfbuild_loader.cpp
                   LIBS bv3::qdfbuild bv3::interface)
target_compile_definitions(test_qdfbuild PRIVATE BV3_SPY_DIRECTORY="${spy_directory}")
set_target_properties(test_qdfbuild PROPERTIES BUILD_RPATH "${spy_directory}")
target_link_options(test_qdfbuild PRIVATE -Wl,--enable-new-dtags)
add_dependencies(test_qdfbuild bv3_spy_encoder bv3_spy_no_entry)

bv3_add_test_suite(NAME test_qdf_format LABELS unit QT_OFFSCREEN ${library_environment}
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_qdf_format.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_qdf_loader_config.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_qdf_encoder.cpp
                   LIBS bv3::qdf_encoder bv3::qdfbuild bv3::platform)
add_dependencies(test_qdf_format tqrdll12 BV3Dll)

add_test(NAME qdfbuild.qnf2qdf_end_to_end
         COMMAND ${CMAKE_COMMAND} -DBV3=$<TARGET_FILE:bv3> -DQNF=${PROJECT_SOURCE_DIR}/samples/channels.qnf
                 -DWORK=${CMAKE_CURRENT_BINARY_DIR}/qnf2qdf_e2e -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/qnf2qdf_e2e.cmake)
set_tests_properties(qdfbuild.qnf2qdf_end_to_end PROPERTIES LABELS e2e)
if(BV3_SANITIZE)
  set_tests_properties(qdfbuild.qnf2qdf_end_to_end PROPERTIES ENVIRONMENT LD_LIBRARY_PATH=${PROJECT_BINARY_DIR}/lib)
endif()
