bv3_add_test_suite(NAME test_checks LABELS unit
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_checks_image.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_checks_qnf.cpp
                   LIBS bv3::channeldb)

# The rest runs the Linux bv3 tool.
if(NOT TARGET bv3)
  return()
endif()

# bv3 check end to end: telling the two kinds of file apart, the report, the exit codes, and
# the warning and refusal hooks of raw2qnf and qnf2raw.
add_test(NAME checks.bv3_check
         COMMAND ${CMAKE_COMMAND} -DBV3=$<TARGET_FILE:bv3> -DSAMPLE=${PROJECT_SOURCE_DIR}/samples/channels.qnf
                 -DWORK=${CMAKE_CURRENT_BINARY_DIR}/bv3_check_work
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check_bv3_check.cmake)
set_tests_properties(checks.bv3_check PROPERTIES LABELS unit)
