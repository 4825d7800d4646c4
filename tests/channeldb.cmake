bv3_add_test_suite(NAME test_channeldb LABELS unit
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_channeldb_codec.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_channeldb_raw_writer.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_channeldb_raw_reader.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_channeldb_qnf.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_channeldb_roundtrip.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_channeldb_files.cpp
                   LIBS bv3::channeldb)

# RawToQnf through the export: the file it writes and the error box of a failure.
bv3_add_test_suite(NAME test_channeldb_export LABELS unit QT_OFFSCREEN
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_channeldb_export.cpp
                   LIBS bv3::interface)
