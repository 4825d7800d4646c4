bv3_add_fuzzer(NAME image_check_fuzzer SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/image_check_fuzzer.cpp LIBS bv3::channeldb)
bv3_add_fuzzer(NAME qnf_check_fuzzer SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/qnf_check_fuzzer.cpp LIBS bv3::channeldb)
