# The desktop editor's windows, offscreen. The suites drive the real main window, so they link
# the editor's own pieces; each test has a bound, as a hung modal loop must fail, not stall.
if(WIN32 OR NOT TARGET bv3::editor_app)
  return()
endif()
find_package(Qt6 REQUIRED COMPONENTS Test)

function(bv3_editor_suite name labels timeout)
  add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp ${CMAKE_CURRENT_SOURCE_DIR}/editor_test_main.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE bv3::editor_app Qt6::Test GTest::gtest ${ARGN})
  target_compile_definitions(${name} PRIVATE BV3_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             BV3_BINARY_DIR="${PROJECT_BINARY_DIR}")
  bv3_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES LABELS ${labels} TIMEOUT ${timeout} ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

bv3_editor_suite(test_editor_window gui 120)
# One test compares the window's saved list with what `bv3 edit` writes.
add_dependencies(test_editor_window bv3)
bv3_editor_suite(test_editor_comparisons gui 120)
bv3_editor_suite(test_editor_cells gui 120)
bv3_editor_suite(test_editor_reorder gui 120)
# A send builds its image with the stand-in encoder before the port is tried.
bv3_editor_suite(test_editor_port gui 120)
add_dependencies(test_editor_port tqrdll12)
bv3_editor_suite(test_editor_favourites gui 120)
# Recovery copies (one test kills an editor started as a child) and changes on the disk.
add_executable(editor_crash_child ${CMAKE_CURRENT_SOURCE_DIR}/editor_crash_child.cpp)
target_link_libraries(editor_crash_child PRIVATE bv3::editor_app)
bv3_warnings(editor_crash_child)
bv3_editor_suite(test_editor_recovery gui 300)
add_dependencies(test_editor_recovery editor_crash_child)
# Against the simulator: needs the tools and the encoder built.
bv3_editor_suite(test_editor_receiver e2e 900)
add_dependencies(test_editor_receiver bv3 stb-sim tqrdll12)

# Once more on a real X server (Xvfb): the window system's own focus, shortcut and drawing
# paths, which the offscreen platform stands in for.
find_program(BV3_XVFB_RUN xvfb-run)
if(BV3_XVFB_RUN)
  add_test(NAME test_editor_window.xvfb
           COMMAND ${BV3_XVFB_RUN} -a env QT_QPA_PLATFORM=xcb $<TARGET_FILE:test_editor_window> --gtest_brief=1)
  set_tests_properties(test_editor_window.xvfb PROPERTIES LABELS gui TIMEOUT 300)
  add_test(NAME test_editor_favourites.xvfb
           COMMAND ${BV3_XVFB_RUN} -a env QT_QPA_PLATFORM=xcb $<TARGET_FILE:test_editor_favourites> --gtest_brief=1)
  set_tests_properties(test_editor_favourites.xvfb PROPERTIES LABELS gui TIMEOUT 300)
endif()

# --help and --version answer on a machine without a display.
foreach(option help version)
  add_test(NAME bv3_editor.${option}_without_display
           COMMAND env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $<TARGET_FILE:bv3-editor> --${option})
endforeach()
set_tests_properties(bv3_editor.help_without_display PROPERTIES LABELS gui TIMEOUT 60
                     PASS_REGULAR_EXPRESSION "--variant")
set_tests_properties(bv3_editor.version_without_display PROPERTIES LABELS gui TIMEOUT 60
                     PASS_REGULAR_EXPRESSION "bv3-editor [0-9]")
