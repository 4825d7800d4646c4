# The whole cycle: the simulated receiver applying download images, and the editor's round
# trip through libBV3Dll.so against it.
if(WIN32)
  # The simulator and bv3-host are Linux tools; the Windows host test lives in windows.cmake.
  return()
endif()
bv3_add_test_suite(NAME test_cycle LABELS unit
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_cycle_apply.cpp
                   LIBS bv3::transfer bv3::stbsim bv3::qdf_format)

# The round trip through bv3-host and libBV3Dll.so against stb-sim; it needs the tools built.
bv3_add_test_suite(NAME test_cycle_e2e LABELS e2e QT_OFFSCREEN
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_cycle_e2e.cpp)
add_dependencies(test_cycle_e2e bv3 bv3-host stb-sim BV3Dll tqrdll12)
if(BV3_SANITIZE)
  # Every model's cycle costs two whole uploads; under the sanitizers one model is enough,
  # and the children need the encoder's folder named (see the test).
  target_compile_definitions(test_cycle_e2e PRIVATE BV3_CYCLE_SANITIZED)
endif()
