# Reads a Windows library's export directory and import list with objdump -p and compares
# them with what a host relies on:
#   -DLIBRARY=path -DOBJDUMP=tool -DDLL_NAME=name -DEXPORTS="1:GetIRDModel;2:V3QnfToQnf;..."
# The export directory must carry DLL_NAME and exactly the listed names under the listed
# ordinals; the imports must be Windows' own libraries only, never a compiler runtime DLL
# that a host's machine does not have.
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p failed on ${LIBRARY}")
endif()

if(NOT dump MATCHES "\nName[ \t]+[0-9a-f]+ ([^\n]+)\n")
  message(FATAL_ERROR "${LIBRARY} has no export directory")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL DLL_NAME)
  message(FATAL_ERROR "the export directory names \"${CMAKE_MATCH_1}\", expected \"${DLL_NAME}\"")
endif()
if(NOT dump MATCHES "Ordinal Base[ \t]+([0-9]+)")
  message(FATAL_ERROR "${LIBRARY}: no ordinal base in the export directory")
endif()
set(base ${CMAKE_MATCH_1})

# "[   3] DownloadData": the index into the address table, ordinal = index + base.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)+" table "${dump}")
string(REPLACE "\n" ";" lines "${table}")
set(found "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]*\\[ *([0-9]+)\\] (.+)$")
    math(EXPR ordinal "${CMAKE_MATCH_1} + ${base}")
    list(APPEND found "${ordinal}:${CMAKE_MATCH_2}")
  endif()
endforeach()
list(SORT found)
set(expected ${EXPORTS})
list(SORT expected)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "exports of ${LIBRARY} differ:\n  got      ${found}\n  expected ${expected}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(import IN LISTS imports)
  string(REPLACE "DLL Name: " "" import "${import}")
  string(TOLOWER "${import}" lower)
  if(lower MATCHES "^(libgcc|libstdc|libwinpthread|libssp|libgomp)")
    message(FATAL_ERROR "${LIBRARY} depends on the compiler runtime ${import}; link it statically")
  endif()
endforeach()
message(STATUS "${DLL_NAME}: ${found}; imports ${imports}")
