# bv3 against bad inputs and faults: every case either does its work or fails with a message
# naming the file and the reason, and never loses or half-writes a user's file.
# Arguments: BV3 (the tool), SAMPLE (samples/channels.qnf), WORK (a scratch folder).
cmake_policy(SET CMP0054 NEW)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# run(STATUS [IN folder] args...): runs bv3, checks the exit status, keeps its output.
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
  # check prints its findings on stdout, the others their failure on stderr.
  set(last_error "${out}${err}" PARENT_SCOPE)
endfunction()

function(expect_message pattern what)
  if(NOT last_error MATCHES "${pattern}")
    message(FATAL_ERROR "${what}: the message does not match '${pattern}': ${last_error}")
  endif()
endfunction()

function(expect_unchanged path hash what)
  file(SHA256 ${path} now)
  if(NOT now STREQUAL hash)
    message(FATAL_ERROR "${what}: ${path} was changed")
  endif()
endfunction()

function(expect_absent what)
  foreach(path ${ARGN})
    if(EXISTS ${path})
      message(FATAL_ERROR "${what}: ${path} was left behind")
    endif()
  endforeach()
endfunction()

# Nothing but the named files in the work folder: no temporary survives a failure.
function(expect_only what)
  file(GLOB entries RELATIVE ${WORK} ${WORK}/*)
  list(SORT entries)
  set(expected ${ARGN})
  list(SORT expected)
  if(NOT entries STREQUAL expected)
    message(FATAL_ERROR "${what}: the folder holds '${entries}', expected '${expected}'")
  endif()
endfunction()

set(args --variant 3 --model 4)
file(COPY ${SAMPLE} DESTINATION ${WORK})
set(list ${WORK}/channels.qnf)
run(0 make-upload ${list} ${WORK}/upload.raw ${args})
file(SHA256 ${list} list_hash)
file(SHA256 ${WORK}/upload.raw upload_hash)

# ---- An output that is the input is refused, also through a link; the input stays.
file(CREATE_LINK ${list} ${WORK}/alias.qnf SYMBOLIC)
foreach(case "raw2qnf;${WORK}/upload.raw;${WORK}/upload.raw"
             "make-upload;${list};${WORK}/alias.qnf"
             "qnf2raw;${list};${list};${WORK}/s.raw"
             "qnf2raw;${list};${WORK}/c.raw;${WORK}/alias.qnf"
             "qnf2qdf;${list};${WORK}/alias.qnf;--header-id;1"
             "compress;${list};${WORK}/alias.qnf")
  list(GET case 0 command)
  if(command STREQUAL "compress")
    run(1 ${case})
  else()
    run(1 ${case} ${args})
  endif()
  expect_message("input file|is the input" "${command} onto its input")
  expect_unchanged(${list} ${list_hash} "${command} onto its input")
  expect_unchanged(${WORK}/upload.raw ${upload_hash} "${command} onto its input")
endforeach()
run(1 qnf2raw ${list} ${WORK}/same.raw ${WORK}/./same.raw ${args})
expect_message("name the same file" "qnf2raw with CONFIG = SERVICE")
expect_only("outputs refused" alias.qnf channels.qnf upload.raw)

# ---- qnf2raw writes both images or neither.
run(0 qnf2raw ${list} ${WORK}/Config.raw ${WORK}/Service.raw ${args})
file(SHA256 ${WORK}/Config.raw config_hash)
run(1 qnf2raw ${list} ${WORK}/c.raw ${WORK}/no-such-folder/s.raw ${args})
expect_message("no-such-folder/s.raw.*does not exist" "qnf2raw into a missing folder")
expect_absent("qnf2raw whose SERVICE cannot be written" ${WORK}/c.raw)

# ---- A failing compress or decompress keeps the earlier output and leaves no temporary.
file(WRITE ${WORK}/damaged.v3q "not a container")
file(WRITE ${WORK}/earlier.out "earlier content")
file(SHA256 ${WORK}/earlier.out earlier_hash)
run(1 decompress ${WORK}/damaged.v3q ${WORK}/earlier.out)
expect_unchanged(${WORK}/earlier.out ${earlier_hash} "a failed decompress")
run(1 decompress ${WORK}/absent.v3q ${WORK}/earlier.out)
expect_message("absent.v3q \\(No such file or directory\\)" "decompress of a missing file")
expect_only("failed compressor runs" Config.raw Service.raw alias.qnf channels.qnf damaged.v3q earlier.out upload.raw)

# ---- qnf2qdf builds in a folder of its own: a user's Service.raw, even its own input, stays.
file(MAKE_DIRECTORY ${WORK}/build)
file(COPY_FILE ${list} ${WORK}/build/Service.raw)
file(WRITE ${WORK}/build/qorda.cfg "mine")
run(0 IN ${WORK}/build qnf2qdf Service.raw channels.qdf ${args} --header-id 0x12345678)
expect_unchanged(${WORK}/build/Service.raw ${list_hash} "qnf2qdf next to a Service.raw")
file(READ ${WORK}/build/qorda.cfg mine)
if(NOT mine STREQUAL "mine" OR NOT EXISTS ${WORK}/build/channels.qdf)
  message(FATAL_ERROR "qnf2qdf touched qorda.cfg or wrote no image")
endif()
file(REMOVE_RECURSE ${WORK}/build)

# ---- A truncated list is refused by every command that builds from it; check reports it.
file(SIZE ${list} sample_size)
math(EXPR half "${sample_size} / 2")
execute_process(COMMAND head -c ${half} ${list} OUTPUT_FILE ${WORK}/cut.qnf)
file(WRITE ${WORK}/header-only.qnf "[BREVORA V3 FILE]\r\n")
foreach(cut cut.qnf header-only.qnf)
  run(1 check ${WORK}/${cut} --model 4)
  expect_message("without its \\[MENU\\] line" "check ${cut}")
  run(1 qnf2qdf ${WORK}/${cut} ${WORK}/x.qdf ${args} --header-id 1)
  expect_message("${cut}: line [0-9]+: the list ends here without its \\[MENU\\] line" "qnf2qdf ${cut}")
  run(1 qnf2raw ${WORK}/${cut} ${WORK}/c.raw ${WORK}/s.raw ${args})
  expect_message("incomplete" "qnf2raw ${cut}")
  run(1 make-upload ${WORK}/${cut} ${WORK}/u.raw ${args})
  expect_message("incomplete" "make-upload ${cut}")
  expect_absent("${cut}" ${WORK}/x.qdf ${WORK}/c.raw ${WORK}/s.raw ${WORK}/u.raw)
endforeach()
# A complete list without services empties a receiver: only on request.
set(menu "0")
foreach(i RANGE 1 43)
  string(APPEND menu "\t0")
endforeach()
file(WRITE ${WORK}/empty.qnf "[BREVORA V3 FILE]\r\n[SERVICE]\r\n[MENU]\r\n${menu}\r\n")
run(1 qnf2qdf ${WORK}/empty.qnf ${WORK}/x.qdf ${args} --header-id 1)
expect_message("holds no services" "qnf2qdf of an empty list")
run(1 make-upload ${WORK}/empty.qnf ${WORK}/u.raw ${args})
expect_message("holds no services" "make-upload of an empty list")
expect_absent("an empty list" ${WORK}/x.qdf ${WORK}/u.raw)
run(0 qnf2qdf ${WORK}/empty.qnf ${WORK}/x.qdf ${args} --header-id 1 --allow-empty)
run(0 qnf2raw ${WORK}/empty.qnf ${WORK}/c.raw ${WORK}/s.raw ${args} --allow-empty)
file(REMOVE ${WORK}/x.qdf ${WORK}/c.raw ${WORK}/s.raw)

# ---- Sizes are checked before anything is read: a 3 GB file is refused at once.
execute_process(COMMAND truncate -s 3G ${WORK}/huge.qnf RESULT_VARIABLE truncated)
if(truncated EQUAL 0)
  run(1 qnf2qdf ${WORK}/huge.qnf ${WORK}/x.qdf ${args} --header-id 1)
  expect_message("huge.qnf: the file is larger than any channel list can be \\(8388608 bytes\\)|huge.qnf: 3221225472 bytes is larger" "qnf2qdf of 3 GB")
  run(1 qnf2raw ${WORK}/huge.qnf ${WORK}/c.raw ${WORK}/s.raw ${args})
  expect_message("3221225472 bytes is larger than any channel list can be" "qnf2raw of 3 GB")
  run(1 qdf-info ${WORK}/huge.qnf)
  expect_message("3221225472 bytes is larger than any download image can be" "qdf-info of 3 GB")
  run(1 compress ${WORK}/huge.qnf ${WORK}/x.v3q)
  expect_message("is larger than 2147483647 bytes, the most a container can record" "compress of 3 GB")
  file(REMOVE ${WORK}/huge.qnf)
  expect_absent("3 GB inputs" ${WORK}/x.qdf ${WORK}/c.raw ${WORK}/s.raw ${WORK}/x.v3q)
endif()

# ---- Messages: a refused line is quoted short, control bytes escaped; folders and LF named.
string(REPEAT "7" 5000 long_value)
file(WRITE ${WORK}/long.qnf "[BREVORA V3 FILE]\r\n[TS]\r\nx${long_value}\r\n[MENU]\r\n0\r\n")
run(1 qnf2raw ${WORK}/long.qnf ${WORK}/c.raw ${WORK}/s.raw ${args})
string(LENGTH "${last_error}" length)
if(length GREATER 400)
  message(FATAL_ERROR "a long refused line is echoed in full (${length} characters)")
endif()
expect_message("'x7777777.*…' is not a number" "a long refused value")
execute_process(COMMAND printf "[BREVORA V3 FILE]\\r\\n[TS]\\r\\n1\\ta\\000b\\r\\n[MENU]\\r\\n0\\r\\n" OUTPUT_FILE ${WORK}/nul.qnf)
run(1 qnf2raw ${WORK}/nul.qnf ${WORK}/c.raw ${WORK}/s.raw ${args})
expect_message("'a\\\\x00b' is not a number" "a NUL in a refused value")
run(1 qdf-info ${WORK})
expect_message("cannot read the download image \"[^\"]+\": it is a folder" "qdf-info of a folder")
file(WRITE ${WORK}/lf.qnf "[BREVORA V3 FILE]\n[MENU]\n0\n")
run(1 qnf2raw ${WORK}/lf.qnf ${WORK}/c.raw ${WORK}/s.raw ${args})
expect_message("the lines end in LF where CR LF is required" "an LF-only list")
run(1 check ${WORK}/lf.qnf --model 4)
expect_message("the lines end in LF where CR LF is required" "check of an LF-only list")

# ---- A read-only target is refused the same way by every command that would replace it.
file(WRITE ${WORK}/locked "keep")
file(CHMOD ${WORK}/locked PERMISSIONS OWNER_READ)
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT uid STREQUAL "0")
  foreach(case "raw2qnf;${WORK}/upload.raw;${WORK}/locked;${args}"
               "make-upload;${list};${WORK}/locked;${args}"
               "qnf2raw;${list};${WORK}/locked;${WORK}/s.raw;${args}"
               "qnf2qdf;${list};${WORK}/locked;${args};--header-id;1"
               "compress;${list};${WORK}/locked"
               "decompress;${WORK}/damaged.v3q;${WORK}/locked")
    list(GET case 0 command)
    run(1 ${case})
    expect_message("locked.*Permission denied" "${command} onto a read-only file")
    file(READ ${WORK}/locked kept)
    if(NOT kept STREQUAL "keep")
      message(FATAL_ERROR "${command} replaced a read-only file")
    endif()
  endforeach()
  # The upload's target is checked before the port is opened.
  run(1 upload ${WORK}/no-such-folder/t.raw --port ${WORK}/no-such-port)
  expect_message("no-such-folder/t.raw.*does not exist" "upload into a missing folder")
endif()
file(CHMOD ${WORK}/locked PERMISSIONS OWNER_READ OWNER_WRITE)
file(REMOVE_RECURSE ${WORK})
