# Debian packages with CPack (cpack -G DEB in the build folder), one per install component:
#   libbv3dll<N>   the library and its encoder        section libs
#   libbv3dll-dev  header, CMake package, pkg-config  section libdevel
#   bv3            bv3 and stb-sim                    section utils
#   bv3-editor     the editor, when it is built       section utils
# Dependencies on system libraries are computed from the binaries (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME bv3)
set(CPACK_PACKAGE_VENDOR "BV3 developers")
set(CPACK_PACKAGE_CONTACT "${BV3_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SOURCE bv3)
# Only libraries with a versioned SONAME get a line in the shlibs file: libBV3Dll.so.0.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)

set(bv3_exact "(= ${PROJECT_VERSION})")

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME ${BV3_PACKAGE_LIBRARY})
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
# The loader's cache is refreshed by dpkg's ldconfig trigger. (CPack also writes postinst and
# postrm scripts that call ldconfig; packaging/lintian/ says why that remark is overridden.)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/deb/triggers)
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION "channel database service library for the Brevora V3 receiver
libBV3Dll is the library a channel-list editor loads to work with the
receiver's channel database: it uploads the receiver's memory over a serial
line, turns it into an editable channel list (QNF), builds the download image
from an edited list and sends it back, and compresses channel lists.

The package also holds the stand-in download-image encoder (libtqrdll12.so),
installed beside the library, which loads it by name.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${BV3_PACKAGE_DEV})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${BV3_PACKAGE_LIBRARY} ${bv3_exact}")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "development files for the Brevora V3 channel database library
The C header of the nine exports of libBV3Dll, the CMake package
(find_package(BV3 CONFIG) gives BV3::BV3Dll and BV3::headers) and the
pkg-config file bv3dll, for host programs that link against the library or
load it by its SONAME. An example host shows both ways.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME ${BV3_PACKAGE_TOOLS})
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
# bv3 builds download images through the encoder, which it loads by name from the library's
# package; no linker dependency shows that.
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "${BV3_PACKAGE_LIBRARY} ${bv3_exact}")
set(CPACK_DEBIAN_TOOLS_DESCRIPTION "command-line tools for the Brevora V3 receiver's channel lists
bv3 offers every operation of the BV3 channel database library on the
command line: upload and download over a serial line with a progress bar,
conversions between the receiver's images and QNF channel lists, checks,
download images and compression. stb-sim plays the receiver on a
pseudo-terminal so that everything can be tried without one.")

set(CPACK_DEBIAN_EDITOR_PACKAGE_NAME ${BV3_PACKAGE_EDITOR})
set(CPACK_DEBIAN_EDITOR_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_EDITOR_PACKAGE_DEPENDS "${BV3_PACKAGE_LIBRARY} ${bv3_exact}")
set(CPACK_DEBIAN_EDITOR_DESCRIPTION "desktop editor for the Brevora V3 receiver's channel lists
bv3-editor edits the receiver's channel lists (services, transponders,
networks, providers, favourites) and transfers them to and from the receiver
through the BV3 channel database library.")

set(CPACK_COMPONENTS_ALL library development tools)
if(TARGET bv3-editor)
  list(APPEND CPACK_COMPONENTS_ALL editor)
endif()

include(CPack)
