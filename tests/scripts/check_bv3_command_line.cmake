# What bv3 loads and how it reports progress: commands that open no window need no toolkit
# library, the windowed part comes in only for the about box; compress and decompress give
# running updates only on a terminal or with --progress, and nothing with --quiet.
# Arguments: BV3, SAMPLE, WORK, GUI_MODULE (the windowed part).
include(${CMAKE_CURRENT_LIST_DIR}/bv3_script_support.cmake)

# The program's own needs name no Qt library; the windowed part's do.
execute_process(COMMAND objdump -p ${BV3} OUTPUT_VARIABLE program_headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objdump -p ${BV3} failed")
endif()
if(program_headers MATCHES "NEEDED[ \t]+libQt")
  message(FATAL_ERROR "bv3 links the toolkit:\n${program_headers}")
endif()
# Every folder of the RUNPATH is named: an empty entry would make the loader look in the
# current folder, so a library left there by anyone would be loaded into bv3.
if(NOT program_headers MATCHES "RUNPATH[ \t]+([^\n]*)")
  message(FATAL_ERROR "bv3 has no RUNPATH:\n${program_headers}")
endif()
set(runpath "${CMAKE_MATCH_1}")
string(STRIP "${runpath}" runpath)
if(runpath MATCHES "^:|::|:$" OR runpath STREQUAL "")
  message(FATAL_ERROR "bv3's RUNPATH has an empty entry (the current folder): '${runpath}'")
endif()
execute_process(COMMAND objdump -p ${GUI_MODULE} OUTPUT_VARIABLE module_headers)
expect("${module_headers}" "NEEDED[ \t]+libQt6Widgets")

# A window-less command loads no Qt library at run time either (the loader's own trace).
execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_DEBUG=libs ${BV3} raw2qnf --help
                OUTPUT_QUIET ERROR_VARIABLE loader_trace RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR loader_trace MATCHES "libQt")
  message(FATAL_ERROR "bv3 raw2qnf --help: exit ${status}, loaded:\n${loader_trace}")
endif()

# The about box comes from the windowed part, loaded on demand.
run(0 about --screenshot ${WORK}/about.png)
if(NOT EXISTS ${WORK}/about.png)
  message(FATAL_ERROR "bv3 about wrote no screenshot")
endif()

# An input large enough for progress (1 MiB and more): 1.5 MiB of the sample list.
file(READ ${SAMPLE} list)
string(REPEAT "${list}" 40 big)
file(WRITE ${WORK}/big.txt "${big}")
file(SIZE ${WORK}/big.txt big_size)
if(big_size LESS 1048576)
  string(REPEAT "${big}" 4 big)
  file(WRITE ${WORK}/big.txt "${big}")
endif()
string(ASCII 13 carriage_return)

foreach(mode good fast)
  # stderr is a pipe here, never a terminal: the closing line only.
  run(0 compress big.txt big.${mode} --mode ${mode})
  expect("${last_output}" "successfully compressed")
  string(FIND "${last_error}" "${carriage_return}" found)
  if(NOT found EQUAL -1 OR NOT last_error STREQUAL "")
    message(FATAL_ERROR "compress --mode ${mode} into a pipe gave running updates:\n${last_error}")
  endif()
  run(0 decompress big.${mode} back.txt)
  string(FIND "${last_error}" "${carriage_return}" found)
  if(NOT found EQUAL -1)
    message(FATAL_ERROR "decompress into a pipe gave running updates:\n${last_error}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/big.txt ${WORK}/back.txt RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "the ${mode} container does not restore the input")
  endif()

  # --progress forces them.
  run(0 compress big.txt big.${mode} --mode ${mode} --progress)
  expect("${last_error}" "${carriage_return}\\((LZH|LZRW1/KH)\\) Bytes in : ")
  run(0 decompress big.${mode} back.txt --progress)
  expect("${last_error}" "${carriage_return}\\((LZH|LZRW1/KH)\\) Bytes in : ")

  # --quiet: nothing at all on success.
  run(0 compress big.txt big.${mode} --mode ${mode} --quiet)
  if(NOT last_said STREQUAL "")
    message(FATAL_ERROR "compress --quiet said:\n${last_said}")
  endif()
  run(0 decompress big.${mode} back.txt -q)
  if(NOT last_said STREQUAL "")
    message(FATAL_ERROR "decompress -q said:\n${last_said}")
  endif()
endforeach()

# --quiet keeps the errors, and the two options exclude each other.
run(1 decompress missing.v3q out.txt --quiet)
expect("${last_error}" "^bv3: .*missing.v3q")
run(2 compress big.txt out.v3q --progress --quiet)
expect("${last_error}" "excludes")
