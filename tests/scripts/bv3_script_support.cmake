# What the command-line scripts share: a fresh scratch folder, running bv3 with an expected
# exit status, and matching what it said.
# Arguments of every script: BV3 (the tool), SAMPLE (samples/channels.qnf), WORK (a scratch folder).
cmake_policy(SET CMP0054 NEW)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# run(STATUS [IN folder] args...): runs bv3 in WORK (or the folder given), checks the exit
# status and keeps its standard output, its standard error and both together (last_said).
function(run expected_status)
  set(folder ${WORK})
  if(ARGV1 STREQUAL "IN")
    set(folder ${ARGV2})
    list(REMOVE_AT ARGN 0 1)
  endif()
  execute_process(COMMAND ${BV3} ${ARGN} WORKING_DIRECTORY ${folder} RESULT_VARIABLE status
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL expected_status)
    message(FATAL_ERROR "bv3 ${ARGN}: exit ${status}, expected ${expected_status}\n${out}${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
  set(last_error "${err}" PARENT_SCOPE)
  set(last_said "${out}${err}" PARENT_SCOPE)
endfunction()

function(expect text pattern)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "expected '${pattern}' in:\n${text}")
  endif()
endfunction()

function(expect_missing file)
  if(EXISTS ${file})
    message(FATAL_ERROR "${file} was written")
  endif()
endfunction()
