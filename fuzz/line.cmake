# The serial protocols as the line drives them, with the simulated receiver as the peer. The
# protocol sources and the simulator's are compiled in, as they include nothing but the
# standard library, so the fuzzing build needs no serial port or toolkit.
set(line_fuzz_sources
    ${PROJECT_SOURCE_DIR}/src/transfer/upload_protocol.cpp
    ${PROJECT_SOURCE_DIR}/src/transfer/download_protocol.cpp
    ${PROJECT_SOURCE_DIR}/tools/stb-sim/receiver_simulator.cpp
    ${PROJECT_SOURCE_DIR}/tools/stb-sim/receiver_memory.cpp)
foreach(line_fuzzer upload_line_fuzzer download_line_fuzzer receiver_line_fuzzer)
  bv3_add_fuzzer(NAME ${line_fuzzer} SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/${line_fuzzer}.cpp)
  target_sources(${line_fuzzer} PRIVATE ${line_fuzz_sources})
  target_include_directories(${line_fuzzer} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tools)
endforeach()
