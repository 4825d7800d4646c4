bv3_add_test_suite(NAME test_channeldb LABELS unit
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_channeldb_codec.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_channeldb_raw_writer.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_channeldb_raw_reader.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_channeldb_qnf.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_channeldb_roundtrip.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_channeldb_files.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_channeldb_names.cpp
                   LIBS bv3::channeldb)

# RawToQnf through the export: the file it writes and the error box of a failure.
bv3_add_test_suite(NAME test_channeldb_export LABELS unit QT_OFFSCREEN
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_channeldb_export.cpp
                   LIBS bv3::interface)

# The bv3 commands of the channel lists, end to end on the sample (bv3 is a Linux tool).
if(NOT TARGET bv3)
  return()
endif()
add_test(NAME channeldb.bv3_commands
         COMMAND ${CMAKE_COMMAND} -DBV3=$<TARGET_FILE:bv3> -DSAMPLE=${PROJECT_SOURCE_DIR}/samples/channels.qnf
                 -DWORK=${CMAKE_CURRENT_BINARY_DIR}/bv3_commands_work
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check_bv3_channel_lists.cmake)
set_tests_properties(channeldb.bv3_commands PROPERTIES LABELS unit)
