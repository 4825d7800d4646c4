# The desktop editor's windows, offscreen. The suite drives the real main window, so it links
# the editor's own pieces; each test has a bound, as a hung modal loop must fail, not stall.
if(WIN32 OR NOT TARGET bv3::editor_app)
  return()
endif()
find_package(Qt6 REQUIRED COMPONENTS Test)
add_executable(test_editor ${CMAKE_CURRENT_SOURCE_DIR}/test_editor_window.cpp)
target_include_directories(test_editor PRIVATE ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR}
                                               ${PROJECT_SOURCE_DIR}/tools/bv3-editor)
target_link_libraries(test_editor PRIVATE bv3::editor_app Qt6::Test GTest::gtest)
target_compile_definitions(test_editor PRIVATE BV3_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                               BV3_BINARY_DIR="${PROJECT_BINARY_DIR}")
bv3_warnings(test_editor)
gtest_discover_tests(test_editor DISCOVERY_MODE PRE_TEST
                     PROPERTIES LABELS gui TIMEOUT 120 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
