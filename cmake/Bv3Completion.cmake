# Writes bv3's bash completion script: cmake -DPROGRAM=<bv3> -DOUTPUT=<file> -P Bv3Completion.cmake
execute_process(COMMAND ${PROGRAM} --completion bash OUTPUT_FILE ${OUTPUT}.tmp RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT}.tmp)
  message(FATAL_ERROR "${PROGRAM} --completion bash failed (${status})")
endif()
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
