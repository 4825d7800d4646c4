# Static pieces of the library: one per subsystem, all sources of the folder.
function(bv3_subsystem name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${ARGN})
  add_library(bv3_${name} STATIC ${sources})
  add_library(bv3::${name} ALIAS bv3_${name})
  target_include_directories(bv3_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/include)
  bv3_warnings(bv3_${name})
endfunction()
