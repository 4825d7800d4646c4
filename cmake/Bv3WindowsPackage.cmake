# The Windows build's zip (cpack -G ZIP in the build folder): BV3Dll.dll and the stand-in
# encoder tqrdll12.dll, which the host finds in its own program folder, the header and a
# short readme, all at the top of the archive.
# The library reports the project's version in its version resource.
enable_language(RC)
configure_file(${PROJECT_SOURCE_DIR}/packaging/BV3Dll.rc.in ${PROJECT_BINARY_DIR}/packaging/BV3Dll.rc @ONLY)
target_sources(BV3Dll PRIVATE ${PROJECT_BINARY_DIR}/packaging/BV3Dll.rc)

install(TARGETS BV3Dll tqrdll12 RUNTIME DESTINATION . LIBRARY DESTINATION . COMPONENT library)
install(FILES ${PROJECT_SOURCE_DIR}/include/BV3Dll.h DESTINATION . COMPONENT library)
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows-readme.txt.in ${PROJECT_BINARY_DIR}/packaging/README.txt @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/README.txt DESTINATION . COMPONENT library)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME BV3Dll)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME BV3Dll-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
include(CPack)
