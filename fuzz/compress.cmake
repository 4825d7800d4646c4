bv3_add_fuzzer(NAME lzh_decode_fuzzer SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/lzh_decode_fuzzer.cpp LIBS bv3::compress)
bv3_add_fuzzer(NAME lzrw1kh_decode_fuzzer SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/lzrw1kh_decode_fuzzer.cpp
               LIBS bv3::compress)
bv3_add_fuzzer(NAME round_trip_fuzzer SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/round_trip_fuzzer.cpp LIBS bv3::compress)
