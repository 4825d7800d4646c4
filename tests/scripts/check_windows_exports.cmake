# Reads a Windows library's headers, export directory and import list with objdump -p, and the
# machine code of its exports with objdump -d, and compares them with what a host relies on:
#   -DLIBRARY=path -DOBJDUMP=tool -DDLL_NAME=name -DEXPORTS="1:GetIRDModel;2:V3QnfToQnf;..."
#   -DMACHINE=i386|x86-64 [-DRETURNS="GetIRDModel:ret;...;EncodeQDF@8:ret $0x8"]
# The file must be a PE32 (i386) or PE32+ (x86-64) library; the export directory must carry
# DLL_NAME and exactly the listed names under the listed ordinals; the imports must be
# Windows' own libraries only, never a compiler runtime DLL that a host's machine does not
# have. RETURNS names, for the 32-bit library, each export's function and the one return
# instruction every return of it must be: a C-convention entry returns with a plain `ret`
# (the caller removes the arguments), a stdcall one with `ret $N` (it removes N bytes itself).
# A host that calls an export the other way crashes or corrupts its stack, and nothing but the
# machine code shows which way an export was built.
execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p failed on ${LIBRARY}")
endif()

if(MACHINE STREQUAL "i386")
  set(format_pattern "file format pei-i386\n")
  set(magic_pattern "\nMagic[ \t]+010b[ \t]+\\(PE32\\)")
elseif(MACHINE STREQUAL "x86-64")
  set(format_pattern "file format pei-x86-64\n")
  set(magic_pattern "\nMagic[ \t]+020b[ \t]+\\(PE32\\+\\)")
else()
  message(FATAL_ERROR "MACHINE must be i386 or x86-64, not \"${MACHINE}\"")
endif()
if(NOT dump MATCHES "${format_pattern}" OR NOT dump MATCHES "${magic_pattern}")
  string(REGEX MATCH "file format [^\n]+" format "${dump}")
  string(REGEX MATCH "Magic[^\n]+" magic "${dump}")
  message(FATAL_ERROR "${LIBRARY} is not a ${MACHINE} library: ${format}, ${magic}")
endif()
# The file header's flags, one a line after "Characteristics", up to the blank line.
string(REGEX MATCH "\nCharacteristics[^\n]*\n(\t[^\n]+\n)+" characteristics "${dump}")
if(NOT characteristics MATCHES "\n\tDLL\n")
  message(FATAL_ERROR "${LIBRARY} is not marked as a DLL")
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

string(REGEX MATCHALL "DLL Name: [^\n]+" import_lines "${dump}")
set(imports "")
foreach(import IN LISTS import_lines)
  string(REPLACE "DLL Name: " "" import "${import}")
  list(APPEND imports ${import})
  string(TOLOWER "${import}" lower)
  if(NOT lower MATCHES "^(kernel32|user32|gdi32|msvcrt|advapi32|shell32|ole32|comctl32|comdlg32|ws2_32|api-ms-win-[a-z0-9-]+)\\.dll$")
    message(FATAL_ERROR "${LIBRARY} imports ${import}, which is not a Windows system library "
                        "(a compiler runtime must be linked statically)")
  endif()
endforeach()

# The returns of each listed function: every `ret` of its machine code, as objdump writes it
# ("ret", "ret    $0x8"). The function is found by its symbol (the build keeps symbols).
foreach(entry IN LISTS RETURNS)
  if(NOT entry MATCHES "^([^:]+):(.+)$")
    message(FATAL_ERROR "RETURNS entry \"${entry}\" is not SYMBOL:INSTRUCTION")
  endif()
  set(function ${CMAKE_MATCH_1})
  set(wanted ${CMAKE_MATCH_2})
  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn --disassemble=_${function} ${LIBRARY}
                  OUTPUT_VARIABLE code RESULT_VARIABLE status)
  string(FIND "${code}" "<_${function}>:\n" begin)
  if(NOT status EQUAL 0 OR begin LESS 0)
    message(FATAL_ERROR "${LIBRARY} has no function _${function} to read")
  endif()
  # objdump may go on into the functions that follow; each begins after a blank line.
  string(SUBSTRING "${code}" ${begin} -1 code)
  string(FIND "${code}" "\n\n" end)
  if(end GREATER 0)
    string(SUBSTRING "${code}" 0 ${end} code)
  endif()
  string(REGEX MATCHALL "\t(ret|retl|retn)[ \t]*[^\n]*" returns "${code}")
  if(NOT returns)
    # A C-convention function may leave only through a tail call (`jmp` into another
    # function, which returns to our caller with its own plain `ret`); a stdcall one must
    # remove its arguments itself.
    string(REGEX MATCHALL "\tjmp[ \t]+[0-9a-f]+ <[^>+]+>" tail_calls "${code}")
    if(NOT wanted STREQUAL "ret" OR NOT tail_calls)
      message(FATAL_ERROR "_${function} in ${LIBRARY} has no return instruction")
    endif()
    list(APPEND checked "${function}: tail call")
    continue()
  endif()
  foreach(instruction IN LISTS returns)
    string(REGEX REPLACE "[ \t]+" " " instruction "${instruction}")
    string(STRIP "${instruction}" instruction)
    string(REGEX REPLACE "^retl" "ret" instruction "${instruction}")
    if(NOT instruction STREQUAL wanted)
      message(FATAL_ERROR "_${function} in ${LIBRARY} returns with \"${instruction}\", expected \"${wanted}\"")
    endif()
  endforeach()
  list(LENGTH returns count)
  list(APPEND checked "${function}: ${count} x ${wanted}")
endforeach()
message(STATUS "${DLL_NAME} (${MACHINE}): ${found}; imports ${imports}; returns ${checked}")
