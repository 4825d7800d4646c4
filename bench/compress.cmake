bv3_add_benchmark(NAME bench_compress SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_compress.cpp LIBS bv3::compress)

# The same corpora as files, for the gzip / lz4 reference points (bench/compress_reference.sh).
add_executable(bench_compress_corpus ${CMAKE_CURRENT_SOURCE_DIR}/bench_compress_corpus.cpp)
target_include_directories(bench_compress_corpus PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
set_target_properties(bench_compress_corpus PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bench)
bv3_warnings(bench_compress_corpus)
