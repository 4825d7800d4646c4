# Whole transfers over a pseudo-terminal against stb-sim, next to plain and one-hop ping-pong
# limits for the same number of round trips.
bv3_add_benchmark(NAME bench_transfer SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_transfer.cpp
                  LIBS bv3::transfer_qt bv3::ui_qt bv3::stbsim util)
target_include_directories(bench_transfer PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(bench_transfer PRIVATE BV3_BINARY_DIR="${PROJECT_BINARY_DIR}")
add_dependencies(bench_transfer stb-sim)
