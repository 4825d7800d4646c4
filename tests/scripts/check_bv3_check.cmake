# bv3 check from the command line, and the checks run by raw2qnf, qnf2raw, make-upload and qnf2qdf.
include(${CMAKE_CURRENT_LIST_DIR}/bv3_script_support.cmake)

# A clean upload passes, with its counts.
run(0 make-upload ${SAMPLE} ${WORK}/upload.raw --variant 3 --model 4)
run(0 check ${WORK}/upload.raw --variant 3 --model 4)
expect("${last_output}" "uploaded image, model 4, variant 3")
expect("${last_output}" "services 60 \\(42 video, 18 audio\\), TS 12, networks 4, providers 8, favourites 12")
expect("${last_output}" "all checks hold")
run(0 raw2qnf ${WORK}/upload.raw ${WORK}/back.qnf --variant 3 --model 4)
if(last_error MATCHES "warning")
  message(FATAL_ERROR "raw2qnf warned about a clean upload: ${last_error}")
endif()

# The same file read with another model's layout fails, and raw2qnf says so in one line but
# still converts it.
run(1 check ${WORK}/upload.raw --variant 3 --model 0)
expect("${last_output}" "offset 0x[0-9A-F]+ \\(configuration area, antenna block marker\\): error: marker")
expect("${last_output}" "more \\(--all lists every one\\)")
expect("${last_error}" "upload.raw fails [0-9]+ checks")
run(1 check ${WORK}/upload.raw --variant 3 --model 0 --all)
if(last_output MATCHES "--all lists")
  message(FATAL_ERROR "check --all still shortened the report")
endif()
run(0 raw2qnf ${WORK}/upload.raw ${WORK}/other.qnf --variant 3 --model 0)
expect("${last_error}" "^bv3: warning: [^\n]*upload.raw fails [0-9]+ integrity checks, first offset 0x[0-9A-F]+ [^\n]*'bv3 check [^\n]*upload.raw --variant 3 --model 0' lists them\n$")
if(NOT EXISTS ${WORK}/other.qnf)
  message(FATAL_ERROR "raw2qnf did not convert a damaged image")
endif()

# A raw image needs its variant.
run(2 check ${WORK}/upload.raw --model 4)

# Channel lists: the sample holds for model 4; under model 0 its favourite lists 1 to 3 are
# not built, so the check fails with warnings, and qnf2raw builds it with a one-line warning.
run(0 check ${SAMPLE} --model 4)
expect("${last_output}" "QNF channel list, model 4")
expect("${last_output}" "all checks hold")
run(1 check ${SAMPLE} --model 0)
expect("${last_output}" "line [0-9]+: warning: favourite list 0/1")
expect("${last_output}" "0 errors, 2 warnings")
run(0 qnf2raw ${SAMPLE} ${WORK}/Config.raw ${WORK}/Service.raw --variant 0 --model 0)
expect("${last_error}" "^bv3: warning: [^\n]*channels.qnf: favourite list 0/1 has 3 entries[^\n]*\\(line [0-9]+\\); 1 more warning, 'bv3 check [^\n]* --model 0' lists them\n$")

# A list whose references the images cannot represent is refused by qnf2raw, make-upload and qnf2qdf,
# with the file, the reason and the line; nothing is written.
# A whole list ends with its menu values (44 of them).
set(menu "[MENU]\r\n0")
foreach(i RANGE 1 43)
  string(APPEND menu "\t0")
endforeach()
string(APPEND menu "\r\n")
file(WRITE ${WORK}/bad.qnf "[BREVORA V3 FILE]\r\n[TS]\r\n1000\t0\t11156\t22000\t0\t3\t1\t3000\r\n[SERVICE]\r\nV\t1\t2\t3\t4\t5\t0\tFALSE\tFALSE\tTRUE\t5\t0\tLost\t1\r\n${menu}")
run(1 check ${WORK}/bad.qnf --model 1)
expect("${last_output}" "line 5: error: service \"Lost\" refers to TS 5; the list has 1 TS")
foreach(command qnf2raw make-upload qnf2qdf)
  file(REMOVE ${WORK}/c.raw ${WORK}/s.raw)
  if(command STREQUAL qnf2raw)
    run(1 qnf2raw ${WORK}/bad.qnf ${WORK}/c.raw ${WORK}/s.raw --variant 0 --model 1)
  elseif(command STREQUAL qnf2qdf)
    run(1 qnf2qdf ${WORK}/bad.qnf ${WORK}/c.raw --variant 0 --model 1 --header-id 0x12345678)
  else()
    run(1 make-upload ${WORK}/bad.qnf ${WORK}/c.raw --variant 0 --model 1)
  endif()
  expect("${last_error}" "bad.qnf: service \"Lost\" refers to TS 5; the list has 1 TS \\(0 to 0\\) \\(line 5\\)")
  if(EXISTS ${WORK}/c.raw OR EXISTS ${WORK}/s.raw)
    message(FATAL_ERROR "${command} wrote output for a refused list")
  endif()
endforeach()

# Text without the header is checked as a channel list; a missing file is named.
file(WRITE ${WORK}/notes.txt "[BREVORA V3 FILE] \r\n[MENU]\r\n")
run(1 check ${WORK}/notes.txt --model 0)
expect("${last_output}" "line 1: error: Corrupt data table\\.\\.")
run(1 check ${WORK}/absent.qnf --model 0)
expect("${last_error}" "absent.qnf")
file(REMOVE_RECURSE ${WORK})
