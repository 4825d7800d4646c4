# The gauge's toolkit-free picture: the same code draws the Qt gauge and the one on the
# platform's own windows, so this suite runs in both builds.
bv3_add_test_suite(NAME test_ui_picture LABELS unit
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_ui_gauge_picture.cpp
                   LIBS bv3::ui)
