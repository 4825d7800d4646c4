# bv3 qnf2qdf with the project's own encoder found through bv3's RUNPATH, then bv3 qdf-info
# on the result: the whole download build as a person runs it.
#   cmake -DBV3=<bv3> -DQNF=<channel list> -DWORK=<empty directory> -P qnf2qdf_e2e.cmake

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

execute_process(COMMAND ${BV3} qnf2qdf ${QNF} out.qdf --variant 0 --model 1 --header-id 0x12345678
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "qnf2qdf failed (${status}): ${output}${errors}")
endif()
foreach(name qorda.cfg Config.raw Service.raw)
  if(EXISTS ${WORK}/${name})
    message(FATAL_ERROR "${name} was left behind")
  endif()
endforeach()

execute_process(COMMAND ${BV3} qdf-info out.qdf WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "qdf-info refused the image (${status}): ${listing}${errors}")
endif()
foreach(expected "identifiers \\$12345000 to \\$12345FFF, loader version 3" "image checksum: ok"
                 "0 +\\$00000000 flash +lzh +8192 " "1 +\\$00002000 flash +lzh +8192 " "2 +\\$000A0000 flash +lzh +393216 ")
  if(NOT listing MATCHES "${expected}")
    message(FATAL_ERROR "qdf-info does not show '${expected}':\n${listing}")
  endif()
endforeach()

# Anything else is refused with exit status 1 and a reason.
execute_process(COMMAND ${BV3} qdf-info ${QNF} RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT status EQUAL 1 OR NOT errors MATCHES "does not begin with")
  message(FATAL_ERROR "qdf-info accepted a channel list (status ${status}): ${errors}")
endif()

# A copy of bv3 whose $ORIGIN/../lib holds no encoder: the build fails, names the library and
# leaves nothing behind. (Skipped where LD_LIBRARY_PATH would find the encoder anyway.)
if(NOT DEFINED ENV{LD_LIBRARY_PATH})
  file(MAKE_DIRECTORY ${WORK}/alone/bin)
  file(COPY ${BV3} DESTINATION ${WORK}/alone/bin)
  get_filename_component(bv3_name ${BV3} NAME)
  execute_process(COMMAND ${WORK}/alone/bin/${bv3_name} qnf2qdf ${QNF} lost.qdf --variant 0 --model 0 --header-id 1
                  WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
  if(NOT status EQUAL 1 OR NOT errors MATCHES "\"tqrdll12.dll\"")
    message(FATAL_ERROR "a missing encoder was not reported (status ${status}): ${errors}")
  endif()
  foreach(name qorda.cfg Config.raw Service.raw lost.qdf)
    if(EXISTS ${WORK}/${name})
      message(FATAL_ERROR "${name} was left behind by the failed build")
    endif()
  endforeach()
endif()
file(REMOVE_RECURSE ${WORK})
