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
