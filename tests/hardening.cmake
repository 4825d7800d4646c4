# What a bad input or a fault can still do to a user's files, through bv3 end to end: outputs
# that are their inputs, truncated and oversized inputs, failures half-way, refused targets.
if(NOT TARGET bv3)
  return()
endif()
add_test(NAME hardening.bv3_files
         COMMAND ${CMAKE_COMMAND} -DBV3=$<TARGET_FILE:bv3> -DSAMPLE=${PROJECT_SOURCE_DIR}/samples/channels.qnf
                 -DWORK=${CMAKE_CURRENT_BINARY_DIR}/hardening_work
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check_bv3_hardening.cmake)
# Under the sanitizers the encoder is loaded through the sanitizer's dlopen, which does not see
# bv3's own library path; the environment names the encoder's folder for it.
set_tests_properties(hardening.bv3_files PROPERTIES LABELS unit TIMEOUT 300
                     ENVIRONMENT "LD_LIBRARY_PATH=$<TARGET_FILE_DIR:tqrdll12>")
