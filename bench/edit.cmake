bv3_add_benchmark(NAME bench_edit SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_edit.cpp LIBS bv3::edit)
bv3_add_benchmark(NAME bench_diff SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_diff.cpp LIBS bv3::edit)
bv3_add_benchmark(NAME bench_favourites SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_favourites.cpp LIBS bv3::edit)
