# Manual pages (help2man, from each program's own --help) and bv3's bash completion (from its
# command registry, through `bv3 --completion bash`). Both run the freshly built programs, so
# they are made only where those run as they are: not cross-compiled, not under sanitizers.
if(CMAKE_CROSSCOMPILING OR BV3_SANITIZE)
  return()
endif()

set(bv3_generated ${PROJECT_BINARY_DIR}/generated)

find_program(BV3_HELP2MAN help2man)
if(NOT BV3_HELP2MAN)
  message(STATUS "help2man not found: no manual pages (scripts/deps.sh installs it)")
else()
  # bv3_man_page(<target> <component> <summary> [SUBCOMMANDS] [VERSION_STRING <text>] [ENVIRONMENT <var=value>...])
  function(bv3_man_page target component summary)
    cmake_parse_arguments(PAGE "SUBCOMMANDS" "VERSION_STRING" "ENVIRONMENT" ${ARGN})
    set(output ${bv3_generated}/man/${target}.1.gz)
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E env ${PAGE_ENVIRONMENT} ${CMAKE_COMMAND} -DHELP2MAN=${BV3_HELP2MAN}
              -DPROGRAM=$<TARGET_FILE:${target}> -DNAME=${summary} -DOUTPUT=${output}
              -DSUBCOMMANDS=${PAGE_SUBCOMMANDS} -DVERSION_STRING=${PAGE_VERSION_STRING}
              -P ${PROJECT_SOURCE_DIR}/cmake/Bv3ManPage.cmake
      DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/Bv3ManPage.cmake
      COMMENT "Writing the manual page of ${target}" VERBATIM)
    add_custom_target(${target}_man_page ALL DEPENDS ${output})
    install(FILES ${output} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
  endfunction()

  bv3_man_page(bv3 tools "channel lists, receiver images and transfers for the Brevora V3 receiver" SUBCOMMANDS)
  bv3_man_page(stb-sim tools "plays the Brevora V3 receiver on a pseudo-terminal or a serial device")
  if(TARGET bv3-editor)
    # The editor is a Qt program: it needs a platform even to print its help.
    bv3_man_page(bv3-editor editor "edits the Brevora V3 receiver's channel lists" VERSION_STRING
                 "bv3-editor ${PROJECT_VERSION}" ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
endif()

set(bv3_completion ${bv3_generated}/completion/bv3)
add_custom_command(
  OUTPUT ${bv3_completion}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${bv3_generated}/completion
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:bv3> -DOUTPUT=${bv3_completion}
          -P ${PROJECT_SOURCE_DIR}/cmake/Bv3Completion.cmake
  DEPENDS bv3 ${PROJECT_SOURCE_DIR}/cmake/Bv3Completion.cmake
  COMMENT "Writing the bash completion of bv3" VERBATIM)
add_custom_target(bv3_completion ALL DEPENDS ${bv3_completion})
install(FILES ${bv3_completion} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT tools)
