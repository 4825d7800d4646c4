bv3_add_benchmark(NAME bench_safe_write SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_safe_write.cpp LIBS bv3::safe_write)
