# The one version number of the project is project(BV3 VERSION ...) in the top CMakeLists.txt.
# Programs read it from a generated header, so a new release changes one line:
#   target_link_libraries(<tool> PRIVATE bv3::version)   then   #include "bv3_version.h"
configure_file(${CMAKE_CURRENT_LIST_DIR}/bv3_version.h.in ${PROJECT_BINARY_DIR}/generated/bv3_version.h @ONLY)
add_library(bv3_version INTERFACE)
add_library(bv3::version ALIAS bv3_version)
target_include_directories(bv3_version INTERFACE $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/generated>)
