# The one safe-write helper every writer of the system uses.
if(WIN32)
  return()
endif()
bv3_add_test_suite(NAME test_safe_write LABELS unit
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_safe_write.cpp
                   LIBS bv3::safe_write)
