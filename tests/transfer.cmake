if(WIN32)
  # The protocols byte by byte against the simulator's core run in the Windows build too; the
  # dialogs there are tested in tests/windows.cmake, and the rest needs pseudo-terminals or Qt.
  bv3_add_test_suite(NAME test_transfer_protocols LABELS unit
                     SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_transfer_upload.cpp
                             ${CMAKE_CURRENT_SOURCE_DIR}/test_transfer_download.cpp
                             ${CMAKE_CURRENT_SOURCE_DIR}/test_transfer_noise.cpp
                             ${CMAKE_CURRENT_SOURCE_DIR}/test_transfer_texts.cpp
                     LIBS bv3::transfer bv3::stbsim)
  return()
endif()
bv3_add_test_suite(NAME test_transfer LABELS unit
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_transfer_upload.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_transfer_download.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_transfer_noise.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_transfer_texts.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_stbsim.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_transfer_port_setup.cpp
                   LIBS bv3::transfer bv3::stbsim)

# The dialogs' controllers and the sessions' port binding, without a window or a toolkit:
# bv3_transfer links on its own, with the platform's POSIX serial port.
bv3_add_test_suite(NAME test_transfer_controllers LABELS unit
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_transfer_dialog_controllers.cpp
                   LIBS bv3::transfer bv3::platform_posix util)

bv3_add_test_suite(NAME test_transfer_dialogs LABELS gui QT_OFFSCREEN
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_transfer_dialogs.cpp
                   LIBS bv3::interface util)

# Whole transfers against the simulator over a pseudo-terminal; they need the tools built.
bv3_add_test_suite(NAME test_transfer_e2e LABELS e2e QT_OFFSCREEN
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_transfer_e2e.cpp
                   LIBS bv3::interface bv3::stbsim)
add_dependencies(test_transfer_e2e bv3 stb-sim bv3-host BV3Dll)
