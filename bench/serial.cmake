bv3_add_benchmark(NAME bench_serial SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_serial.cpp
                  LIBS bv3::serial bv3::platform_qt util)
