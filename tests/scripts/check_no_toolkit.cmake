# Fails when PROGRAM needs a toolkit library (Qt) to start: its dynamic section names every
# shared library the loader must find.
execute_process(COMMAND readelf -d ${PROGRAM} OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "readelf could not read ${PROGRAM}")
endif()
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*" needed "${dynamic}")
foreach(library IN LISTS needed)
  if(library MATCHES "Qt|qt")
    message(FATAL_ERROR "${PROGRAM} needs a toolkit library: ${library}")
  endif()
endforeach()
message(STATUS "${PROGRAM} needs no toolkit")
