bv3_add_fuzzer(NAME raw_reader_fuzzer SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/raw_reader_fuzzer.cpp LIBS bv3::channeldb)
bv3_add_fuzzer(NAME qnf_reader_fuzzer SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/qnf_reader_fuzzer.cpp LIBS bv3::channeldb)
