bv3_add_benchmark(NAME bench_channeldb SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_channeldb.cpp LIBS bv3::channeldb)
