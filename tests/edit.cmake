# The editing core, and the bv3 verbs built on it. The suite is declared here rather than with
# bv3_add_test_suite so that its tests carry a time limit.
add_executable(test_edit ${CMAKE_CURRENT_SOURCE_DIR}/test_edit_operations.cpp
                         ${CMAKE_CURRENT_SOURCE_DIR}/test_edit_document.cpp
                         ${CMAKE_CURRENT_SOURCE_DIR}/test_edit_reference.cpp
                         ${CMAKE_CURRENT_SOURCE_DIR}/test_edit_diff.cpp
                         ${CMAKE_CURRENT_SOURCE_DIR}/test_edit_receiver_text.cpp
                         ${CMAKE_CURRENT_SOURCE_DIR}/test_edit_favourites.cpp
                         ${CMAKE_CURRENT_SOURCE_DIR}/test_edit_favourite_order.cpp
                         ${CMAKE_CURRENT_SOURCE_DIR}/test_edit_fields.cpp
                         ${CMAKE_CURRENT_SOURCE_DIR}/test_edit_controller.cpp
                         ${CMAKE_CURRENT_SOURCE_DIR}/test_edit_recovery.cpp)
target_include_directories(test_edit PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(test_edit PRIVATE bv3::edit GTest::gtest GTest::gmock GTest::gtest_main)
target_compile_definitions(test_edit PRIVATE BV3_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
bv3_warnings(test_edit)
if(CMAKE_CROSSCOMPILING)
  add_test(NAME test_edit COMMAND test_edit --gtest_brief=1)
  set_tests_properties(test_edit PROPERTIES LABELS unit TIMEOUT 300)
else()
  gtest_discover_tests(test_edit DISCOVERY_MODE PRE_TEST PROPERTIES LABELS unit TIMEOUT 120)
endif()

# The bv3 verbs on the core, end to end on the sample (bv3 is a Linux tool).
if(NOT TARGET bv3)
  return()
endif()
add_test(NAME edit.bv3_verbs
         COMMAND ${CMAKE_COMMAND} -DBV3=$<TARGET_FILE:bv3> -DSAMPLE=${PROJECT_SOURCE_DIR}/samples/channels.qnf
                 -DWORK=${CMAKE_CURRENT_BINARY_DIR}/bv3_edit_work
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check_bv3_edit.cmake)
set_tests_properties(edit.bv3_verbs PROPERTIES LABELS e2e TIMEOUT 120)

# bv3 send against the simulator: three whole transfers, each up to minutes on a loaded machine.
# bv3 send builds the image through the encoder in build/lib; under the sanitizers dlopen does not
# search bv3's RUNPATH (tests/qdfbuild.cmake), so the folder is named in LD_LIBRARY_PATH.
bv3_add_test_suite(NAME test_send_e2e LABELS e2e TIMEOUT 1500 SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_send_e2e.cpp
                   ENVIRONMENT LD_LIBRARY_PATH=${PROJECT_BINARY_DIR}/lib)
add_dependencies(test_send_e2e bv3 stb-sim tqrdll12)
add_test(NAME edit.bv3_diff
         COMMAND ${CMAKE_COMMAND} -DBV3=$<TARGET_FILE:bv3> -DSAMPLE=${PROJECT_SOURCE_DIR}/samples/channels.qnf
                 -DWORK=${CMAKE_CURRENT_BINARY_DIR}/bv3_diff_work
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check_bv3_diff.cmake)
set_tests_properties(edit.bv3_diff PROPERTIES LABELS e2e TIMEOUT 120)
