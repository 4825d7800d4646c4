# The gauge on the platform's own windows (no toolkit): its pixels, setter rules and paint
# target, and the caption laid out through GDI, run under Wine.
if(NOT WIN32)
  return()
endif()

bv3_add_test_suite(NAME test_windows_ui LABELS unit
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_windows_ui.cpp
                   LIBS bv3::ui_win32)
