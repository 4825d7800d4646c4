# The Qt gauge; the Windows build has no toolkit.
if(WIN32)
  return()
endif()
bv3_add_test_suite(NAME test_ui LABELS gui QT_OFFSCREEN
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_ui_progress.cpp
                   LIBS bv3::ui_qt)
