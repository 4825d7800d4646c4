bv3_add_fuzzer(NAME edit_operations_fuzzer SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/edit_operations_fuzzer.cpp
               LIBS bv3::edit)
if(NOT BV3_LIBFUZZER)
  set_tests_properties(fuzz.edit_operations_fuzzer.replay PROPERTIES TIMEOUT 300)
endif()
bv3_add_fuzzer(NAME recovery_copy_fuzzer SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/recovery_copy_fuzzer.cpp LIBS bv3::edit)
