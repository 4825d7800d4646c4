# Static pieces of the library: one target per folder of src/, made of that folder's .cpp files.
#
# A piece's public include path holds its own folder's headers and nothing else, so that
# "subsystem/header.h" resolves only for headers of the piece itself and of the pieces it
# links: a forbidden include fails to compile instead of holding by convention.
#
# The path is a folder of the build tree, include-layers/<target>, holding one link per header
# of the source folder where the code's spelling expects it (<folder>/<header>.h). One link per
# header rather than one per folder: a folder's qt/ or win32/ subfolder is a piece of its own
# and must stay out of reach of the toolkit-free piece of its parent folder. The links are
# made again at every configure, which the header globs trigger when headers come or go.

# bv3_expose_headers(<target> <folder> [ROOT <tools>])
# The folder lies below src/ unless ROOT names another top-level folder of the project (the
# programs of tools/ follow the same rule as the library's pieces).
function(bv3_expose_headers target folder)
  cmake_parse_arguments(EXPOSE "" "ROOT" "" ${ARGN})
  if(NOT EXPOSE_ROOT)
    set(EXPOSE_ROOT src)
  endif()
  set(root ${PROJECT_BINARY_DIR}/include-layers/${target})
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${EXPOSE_ROOT}/${folder}/*.h)
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${folder})
  foreach(header IN LISTS headers)
    cmake_path(GET header FILENAME name)
    file(CREATE_LINK ${header} ${root}/${folder}/${name} SYMBOLIC)
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE $<BUILD_INTERFACE:${root}>)
  else()
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${root}>)
  endif()
endfunction()

# bv3_subsystem(<name> [FOLDER <folder below src>] [SOURCES <more sources>...])
# bv3_<name>, alias bv3::<name>: a static library of the folder's .cpp files (the folder of the
# calling CMakeLists.txt unless FOLDER names another), exposing the folder's headers.
function(bv3_subsystem name)
  cmake_parse_arguments(PIECE "" "FOLDER" "SOURCES" ${ARGN})
  if(NOT PIECE_FOLDER)
    file(RELATIVE_PATH PIECE_FOLDER ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${PIECE_FOLDER}/*.cpp)
  add_library(bv3_${name} STATIC ${sources} ${PIECE_SOURCES})
  add_library(bv3::${name} ALIAS bv3_${name})
  bv3_expose_headers(bv3_${name} ${PIECE_FOLDER})
  bv3_warnings(bv3_${name})
endfunction()
