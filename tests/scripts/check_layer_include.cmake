# Compiles a file holding one include line against the whole include path of one target (its
# own headers and those of every piece it links), and checks the outcome: an "allowed" header
# compiles, a "forbidden" one fails because it is not found on that path.
#   -DCOMPILER=... -DFLAGS=... -DINCLUDE_PATH_FILE=... -DHEADER=... -DEXPECT=allowed|forbidden
#   -DSOURCE_DIR=... -DWORK=...
file(READ ${INCLUDE_PATH_FILE} include_path)
set(include_flags)
foreach(directory IN LISTS include_path)
  list(APPEND include_flags -I${directory})
endforeach()

if(HEADER MATCHES "^<")
  set(include_line "#include ${HEADER}")
  string(REGEX REPLACE "^<(.*)>$" "\\1" header_name "${HEADER}")
else()
  # A forbidden header that does not exist would pass for the wrong reason.
  if(NOT EXISTS ${SOURCE_DIR}/src/${HEADER} AND NOT EXISTS ${SOURCE_DIR}/tools/${HEADER})
    message(FATAL_ERROR "${HEADER}: no such header in ${SOURCE_DIR}/src or ${SOURCE_DIR}/tools; the case proves nothing")
  endif()
  set(include_line "#include \"${HEADER}\"")
  set(header_name "${HEADER}")
endif()

file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/probe.cpp "${include_line}\n")
execute_process(COMMAND ${COMPILER} ${FLAGS} -fsyntax-only ${include_flags} ${WORK}/probe.cpp
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)

if(EXPECT STREQUAL "allowed")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${include_line} should compile against this path but does not:\n${output}")
  endif()
elseif(result EQUAL 0)
  message(FATAL_ERROR "${include_line} compiles, but the layers forbid it here; include path:\n${include_path}")
else()
  string(FIND "${output}" "${header_name}" named)
  if(named EQUAL -1 OR NOT output MATCHES "No such file|file not found")
    message(FATAL_ERROR "${include_line} failed, but not because the header is out of reach:\n${output}")
  endif()
endif()
