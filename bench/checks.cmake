bv3_add_benchmark(NAME bench_checks SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_checks.cpp LIBS bv3::channeldb)
