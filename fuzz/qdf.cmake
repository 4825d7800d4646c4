# The download image's reader and the encoder's loader configuration parser.
bv3_add_fuzzer(NAME qdf_decode_fuzzer SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/qdf_decode_fuzzer.cpp LIBS bv3::qdf_format)
bv3_add_fuzzer(NAME loader_config_fuzzer SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/loader_config_fuzzer.cpp
               LIBS bv3::qdf_encoder)
