# These suites drive pseudo-terminals through POSIX (openpty) and Qt; the Windows build tests
# the component against a Wine COM port in tests/windows.cmake.
if(WIN32)
  return()
endif()
# Some of its checks look at the CPU time an idle event thread takes: it runs alone.
bv3_add_test_suite(NAME test_serial LABELS unit QUIET
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_serial_component.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_serial_line.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_serial_events.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_serial_translation.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_serial_ui_thread.cpp
                   LIBS bv3::serial bv3::platform_posix util)

bv3_add_test_suite(NAME test_serial_qt LABELS unit QT_OFFSCREEN
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_serial_qt.cpp
                   LIBS bv3::serial bv3::platform_qt Qt6::Widgets util)
