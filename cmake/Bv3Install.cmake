# Install rules: where the library, its encoder, the header, the tools and their documents go,
# and the packages hosts use to find them (CMake's find_package and pkg-config).
#
# Layout (GNUInstallDirs; on Debian with prefix /usr, LIBDIR is lib/<multiarch>):
#   LIBDIR/libBV3Dll.so.<version>, libBV3Dll.so.<soversion>  the library, found by its SONAME
#   LIBDIR/libtqrdll12.so                                    the encoder, beside the library
#   LIBDIR/libBV3Dll.so                                      link-time name (development)
#   INCLUDEDIR/BV3Dll.h, LIBDIR/pkgconfig/bv3dll.pc, LIBDIR/cmake/BV3/  (development)
#   BINDIR/bv3, stb-sim [, bv3-editor], MANDIR/man1, bash completion, DATADIR/doc/<package>
#   LIBDIR/bv3/libbv3-gui.so                                 bv3's windowed part, loaded on demand
# docs/install.md explains why.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The ABI number in the SONAME. It follows the nine exports, not the release: it changes only
# when an export changes its signature or meaning, which the host's import table forbids.
set(BV3_SOVERSION 0)
set(BV3_SONAME "libBV3Dll.so.${BV3_SOVERSION}")
set(BV3_ENCODER_FILE "libtqrdll12.so")

# Debian's package names, used as the documentation folders too (Debian wants every package's
# copyright and changelog in /usr/share/doc/<package>).
set(BV3_PACKAGE_LIBRARY "libbv3dll${BV3_SOVERSION}")
set(BV3_PACKAGE_DEV "libbv3dll-dev")
set(BV3_PACKAGE_TOOLS "bv3")
set(BV3_PACKAGE_EDITOR "bv3-editor")
set(BV3_PACKAGE_MAINTAINER "BV3 developers <bv3@example.org>" CACHE STRING "Maintainer named in the packages")

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)

# The header alone, for hosts that load the library with dlopen: it carries the SONAME to load.
add_library(bv3_headers INTERFACE)
set_target_properties(bv3_headers PROPERTIES EXPORT_NAME headers)
target_include_directories(bv3_headers INTERFACE $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
                                                 $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_compile_definitions(bv3_headers INTERFACE "BV3DLL_SONAME=\"${BV3_SONAME}\"")
target_link_libraries(BV3Dll INTERFACE bv3_headers)

set_target_properties(BV3Dll PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${BV3_SOVERSION})

# bv3 and the editor find the encoder by bare name through their RUNPATH, wherever LIBDIR lies
# below the prefix ($ORIGIN keeps the install relocatable, a prefix with spaces included).
file(RELATIVE_PATH bv3_bin_to_lib /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${CMAKE_INSTALL_LIBDIR})
foreach(program bv3 bv3-editor)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/${bv3_bin_to_lib}")
  endif()
endforeach()
# bv3's windowed part is private to bv3: it goes to LIBDIR/bv3, which bv3's RUNPATH also names.
if(TARGET bv3-gui)
  set_target_properties(bv3 PROPERTIES INSTALL_RPATH "$ORIGIN/${bv3_bin_to_lib}:$ORIGIN/${bv3_bin_to_lib}/bv3")
endif()

# A program whose RUNPATH is rewritten when installing is linked with CMake's room for the new
# one: separators after the last folder, which the loader reads as empty entries, that is the
# current folder. Where the installed RUNPATH is the build tree's own (LIBDIR is lib, as for
# `cmake --install` of a default build), the program is linked with it at once and nothing is
# rewritten. (A build for /usr, the packages', still gets the room; its installed copy is
# rewritten without it.)
foreach(program bv3 bv3-editor)
  if(TARGET ${program})
    get_target_property(build_runpath ${program} BUILD_RPATH)
    get_target_property(install_runpath ${program} INSTALL_RPATH)
    if(build_runpath STREQUAL install_runpath)
      set_target_properties(${program} PROPERTIES BUILD_WITH_INSTALL_RPATH ON)
    endif()
  endif()
endforeach()

# Shared libraries are not programs: Debian installs them without the executable bits.
set(bv3_library_permissions OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(TARGETS BV3Dll bv3_headers EXPORT BV3Targets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} PERMISSIONS ${bv3_library_permissions}
                COMPONENT library NAMELINK_COMPONENT development
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS tqrdll12 LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} PERMISSIONS ${bv3_library_permissions}
        COMPONENT library)
install(FILES ${PROJECT_SOURCE_DIR}/include/BV3Dll.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

install(TARGETS bv3 stb-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
if(TARGET bv3-gui)
  install(TARGETS bv3-gui LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/bv3 PERMISSIONS ${bv3_library_permissions}
          COMPONENT tools)
endif()
if(TARGET bv3-editor)
  install(TARGETS bv3-editor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT editor)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/bv3-editor.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT editor)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/bv3-editor.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT editor)
endif()

# CMake package: find_package(BV3 CONFIG) gives BV3::BV3Dll (link) and BV3::headers (dlopen).
set(bv3_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/BV3)
install(EXPORT BV3Targets NAMESPACE BV3:: DESTINATION ${bv3_cmake_dir} COMPONENT development)
set(BV3_LIBRARY_DIR ${CMAKE_INSTALL_LIBDIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/packaging/BV3Config.cmake.in
                              ${PROJECT_BINARY_DIR}/packaging/BV3Config.cmake INSTALL_DESTINATION ${bv3_cmake_dir}
                              PATH_VARS BV3_LIBRARY_DIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/packaging/BV3ConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/packaging/BV3Config.cmake ${PROJECT_BINARY_DIR}/packaging/BV3ConfigVersion.cmake
        DESTINATION ${bv3_cmake_dir} COMPONENT development)

# pkg-config: the file names the install prefix itself, so it is written when installing
# (cmake --install --prefix, or CPack's /usr), not when configuring.
set(BV3_PC_PREFIX_MARK "@BV3_PC_PREFIX@")
configure_file(${PROJECT_SOURCE_DIR}/packaging/bv3dll.pc.in ${PROJECT_BINARY_DIR}/packaging/bv3dll.pc.in @ONLY)
install(CODE "
  string(REPLACE \" \" \"\\\\ \" BV3_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(\"${PROJECT_BINARY_DIR}/packaging/bv3dll.pc.in\" \"${PROJECT_BINARY_DIR}/packaging/pc/bv3dll.pc\" @ONLY)
  file(INSTALL \"${PROJECT_BINARY_DIR}/packaging/pc/bv3dll.pc\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig\")
" COMPONENT development)

# A small host, both ways, for host authors to start from.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/packaging/example-host/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${BV3_PACKAGE_DEV}/examples COMPONENT development)

# Every package's copyright and changelog; the user documentation with the tools.
string(TIMESTAMP BV3_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
set(bv3_changelog_gz ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${bv3_changelog_gz}
                   COMMAND gzip -9nf -k ${PROJECT_BINARY_DIR}/packaging/changelog
                   DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog VERBATIM)
add_custom_target(bv3_changelog ALL DEPENDS ${bv3_changelog_gz})
foreach(component library development tools editor)
  if(component STREQUAL "editor" AND NOT TARGET bv3-editor)
    continue()
  endif()
  string(TOUPPER ${component} key)
  set(package ${BV3_PACKAGE_${key}})
  if(component STREQUAL "development")
    set(package ${BV3_PACKAGE_DEV})
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${bv3_changelog_gz}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
  if(EXISTS ${PROJECT_SOURCE_DIR}/packaging/lintian/${package})
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian/${package}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT ${component})
  endif()
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${BV3_PACKAGE_TOOLS}
        COMPONENT tools)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${BV3_PACKAGE_TOOLS}/docs
        COMPONENT tools)
