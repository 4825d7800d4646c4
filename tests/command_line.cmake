# The bv3 program itself: what it loads (no toolkit unless a window shows) and how its long
# commands report progress.
if(NOT TARGET bv3 OR NOT TARGET bv3-gui)
  return()
endif()
add_test(NAME command_line.bv3_loading_and_progress
         COMMAND ${CMAKE_COMMAND} -DBV3=$<TARGET_FILE:bv3> -DGUI_MODULE=$<TARGET_FILE:bv3-gui>
                 -DSAMPLE=${PROJECT_SOURCE_DIR}/samples/channels.qnf -DWORK=${CMAKE_CURRENT_BINARY_DIR}/command_line_work
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check_bv3_command_line.cmake)
set_tests_properties(command_line.bv3_loading_and_progress PROPERTIES LABELS unit TIMEOUT 300
                     ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LD_LIBRARY_PATH=$<TARGET_FILE_DIR:tqrdll12>")
