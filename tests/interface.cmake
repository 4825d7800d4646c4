bv3_add_test_suite(NAME test_interface LABELS unit QT_OFFSCREEN
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_interface.cpp ${CMAKE_CURRENT_SOURCE_DIR}/c_boundary.c
                   LIBS bv3::interface)

if(WIN32)
  # The Windows library's export directory and its host are checked in tests/windows.cmake.
  return()
endif()

# The library exports the nine entry points and no other function of ours.
add_test(NAME interface.export_table
         COMMAND ${CMAKE_COMMAND} -DLIBRARY=$<TARGET_FILE:BV3Dll>
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check_exports.cmake)
set_tests_properties(interface.export_table PROPERTIES LABELS unit)

# A host that is not linked against the library finds all nine entry points by name.
add_test(NAME interface.host_finds_exports COMMAND bv3-host $<TARGET_FILE:BV3Dll> exports)
add_test(NAME interface.host_calls_idle_exports COMMAND bv3-host $<TARGET_FILE:BV3Dll> idle)
set_tests_properties(interface.host_finds_exports interface.host_calls_idle_exports PROPERTIES LABELS unit)
if(BV3_SANITIZE)
  # The host unloads the library before it exits, as an editor does. LeakSanitizer then no
  # longer sees the library's static objects, so the memory they still hold looks lost; the
  # leak check for an in-process host lives in the other suites.
  set_tests_properties(interface.host_finds_exports interface.host_calls_idle_exports
                       PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
endif()

# The command examples of README.md run as written. The sanitized build skips them: they
# repeat what the suites above already run there, at several times the cost.
if(NOT BV3_SANITIZE)
  add_test(NAME readme.examples
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/readme_examples.sh ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
  set_tests_properties(readme.examples PROPERTIES LABELS e2e TIMEOUT 900)
endif()
