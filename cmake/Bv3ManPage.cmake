# Writes one program's manual page with help2man from the program's own --help and --version,
# so the page cannot drift from the program. For bv3 it adds a COMMANDS section with the
# --help of every subcommand the program lists.
#   cmake -DHELP2MAN=<help2man> -DPROGRAM=<program> -DNAME=<summary> -DOUTPUT=<page.1.gz>
#         [-DSUBCOMMANDS=ON] [-DVERSION_STRING=<text>] -P Bv3ManPage.cmake
cmake_minimum_required(VERSION 3.25)

get_filename_component(page ${OUTPUT} NAME_WLE)
set(plain ${OUTPUT}.tmp/${page})
set(include_file ${OUTPUT}.tmp/sections.h2m)
file(REMOVE_RECURSE ${OUTPUT}.tmp)
file(MAKE_DIRECTORY ${OUTPUT}.tmp)

# roff takes a line starting with a dot or a quote as a request and a backslash as an escape.
function(bv3_roff_literal text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(WRITE ${include_file} "")
if(SUBCOMMANDS)
  execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
  endif()
  # The listing after "Subcommands:" names one command per line, indented.
  string(REGEX REPLACE ".*\nSubcommands:\n" "" listing "${help}")
  string(REGEX MATCHALL "(^|\n)  [a-z0-9][a-z0-9-]*" names "${listing}")
  if(NOT names)
    message(FATAL_ERROR "${PROGRAM} --help lists no subcommands")
  endif()
  file(APPEND ${include_file} "[COMMANDS]\nEach command has its own options; \\fB--help\\fR after a command prints them.\n")
  foreach(name IN LISTS names)
    string(STRIP "${name}" name)
    execute_process(COMMAND ${PROGRAM} ${name} --help OUTPUT_VARIABLE command_help RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "${PROGRAM} ${name} --help failed (${status})")
    endif()
    string(STRIP "${command_help}" command_help)
    bv3_roff_literal("${command_help}" command_help)
    file(APPEND ${include_file} ".SS ${name}\n.nf\n${command_help}\n.fi\n")
  endforeach()
endif()

set(extra_arguments)
file(SIZE ${include_file} include_size)
if(include_size GREATER 0)
  list(APPEND extra_arguments --include=${include_file})
endif()
if(VERSION_STRING)
  list(APPEND extra_arguments --version-string=${VERSION_STRING})
endif()
execute_process(COMMAND ${HELP2MAN} --no-info --section=1 --name=${NAME} ${extra_arguments}
                        --output=${plain} ${PROGRAM}
                RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed on ${PROGRAM} (${status}): ${errors}")
endif()
# Debian installs manual pages compressed, without a time stamp in the gzip header.
execute_process(COMMAND gzip -9n -c ${plain} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${plain}")
endif()
file(REMOVE_RECURSE ${OUTPUT}.tmp)
