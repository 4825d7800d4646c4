# bv3 --version and stb-sim --version print the project's one version and exit 0.
#   cmake -DBV3=<bv3> -DSTB_SIM=<stb-sim> -DVERSION=<x.y> -P check_versions.cmake
foreach(program IN ITEMS BV3 STB_SIM)
  execute_process(COMMAND ${${program}} --version RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  get_filename_component(name ${${program}} NAME)
  if(NOT status EQUAL 0 OR NOT output STREQUAL "${name} ${VERSION}\n")
    message(FATAL_ERROR "${name} --version: status ${status}, printed '${output}${errors}', expected '${name} ${VERSION}'")
  endif()
endforeach()
