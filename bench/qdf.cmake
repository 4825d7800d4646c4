bv3_add_benchmark(NAME bench_qdf SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_qdf.cpp
                  LIBS bv3::qdfbuild bv3::qdf_format bv3::channeldb)
target_compile_definitions(bench_qdf PRIVATE BV3_SOURCE_DIR="${PROJECT_SOURCE_DIR}" BV3_BINARY_DIR="${PROJECT_BINARY_DIR}")
add_dependencies(bench_qdf tqrdll12)
