bv3_add_test_suite(NAME test_compress LABELS unit
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_compress_lzrw1kh.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_compress_lzh.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_compress_component.cpp
                   LIBS bv3::compress)

# The two exports through the converter, with the message-box service watched; the suite also
# runs the Linux bv3 tool, so the Windows build checks the exports through its host instead.
if(WIN32)
  return()
endif()
bv3_add_test_suite(NAME test_compress_interface LABELS unit QT_OFFSCREEN
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_compress_interface.cpp
                   LIBS bv3::interface)
# The bv3 commands are checked against the exports, so the tool has to exist first.
if(TARGET bv3)
  add_dependencies(test_compress_interface bv3)
endif()
