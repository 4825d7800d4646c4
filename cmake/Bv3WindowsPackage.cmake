# The Windows build's zip (cpack -G ZIP in the build folder): BV3Dll.dll and the stand-in
# encoder tqrdll12.dll, which the host finds in its own program folder, the header and a
# short readme, all at the top of the archive; the 64-bit pair in x64/ when named below.
# The library reports the project's version in its version resource.
enable_language(RC)
configure_file(${PROJECT_SOURCE_DIR}/packaging/BV3Dll.rc.in ${PROJECT_BINARY_DIR}/packaging/BV3Dll.rc @ONLY)
target_sources(BV3Dll PRIVATE ${PROJECT_BINARY_DIR}/packaging/BV3Dll.rc)

install(TARGETS BV3Dll tqrdll12 RUNTIME DESTINATION . LIBRARY DESTINATION . COMPONENT library)
install(FILES ${PROJECT_SOURCE_DIR}/include/BV3Dll.h DESTINATION . COMPONENT library)
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows-readme.txt.in ${PROJECT_BINARY_DIR}/packaging/README.txt @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/README.txt DESTINATION . COMPONENT library)

# The 64-bit libraries for 64-bit hosts, in the zip's x64/ folder: scripts/test-windows.sh
# installs the 64-bit build (stripped) into a stage folder and names it here.
set(BV3_WIN64_STAGE "" CACHE PATH "the installed 64-bit Windows build whose libraries the zip carries in x64/")
if(BV3_WIN64_STAGE)
  install(FILES ${BV3_WIN64_STAGE}/BV3Dll.dll ${BV3_WIN64_STAGE}/tqrdll12.dll DESTINATION x64 COMPONENT library)
endif()
# The zip needs only the libraries: building the test programs first (CMake's default before
# an install) would not change it. Whoever packs builds BV3Dll and tqrdll12 first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME BV3Dll)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME BV3Dll-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
include(CPack)
