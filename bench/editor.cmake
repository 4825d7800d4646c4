# The desktop editor's window on a full list (offscreen); it has its own main for QApplication.
if(NOT TARGET bv3::editor_app)
  return()
endif()
add_executable(bench_editor ${CMAKE_CURRENT_SOURCE_DIR}/bench_editor.cpp)
target_include_directories(bench_editor PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}
                                                ${PROJECT_SOURCE_DIR}/tools/bv3-editor)
target_link_libraries(bench_editor PRIVATE bv3::editor_app benchmark::benchmark)
set_target_properties(bench_editor PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bench)
bv3_warnings(bench_editor)
