if(WIN32 OR BV3_SANITIZE)
  # The install tree is Linux's; under sanitizers a host would need the sanitizer runtime.
  return()
endif()

# cmake --install into a scratch prefix with a space in its path, then a tiny host built
# against it with find_package(BV3) and pkg-config, linked and with dlopen, run on the sample list.
add_test(NAME install.host_both_ways
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/install_host.sh ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
set_tests_properties(install.host_both_ways PROPERTIES LABELS e2e TIMEOUT 600 ENVIRONMENT QT_QPA_PLATFORM=offscreen)

# The completion script generated from the command registry completes what bv3 --help lists.
add_test(NAME install.bash_completion
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check_completion.sh $<TARGET_FILE:bv3>)
set_tests_properties(install.bash_completion PROPERTIES LABELS unit TIMEOUT 120)

add_test(NAME install.versions COMMAND ${CMAKE_COMMAND} -DBV3=$<TARGET_FILE:bv3> -DSTB_SIM=$<TARGET_FILE:stb-sim>
                                       -DVERSION=${PROJECT_VERSION} -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check_versions.cmake)
set_tests_properties(install.versions PROPERTIES LABELS unit TIMEOUT 120)
