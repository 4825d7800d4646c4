bv3_add_test_suite(NAME test_transfer LABELS unit
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_transfer_upload.cpp
                           ${CMAKE_CURRENT_SOURCE_DIR}/test_transfer_download.cpp
                   LIBS bv3::transfer bv3::stbsim)

bv3_add_test_suite(NAME test_transfer_dialogs LABELS gui QT_OFFSCREEN
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_transfer_dialogs.cpp
                   LIBS bv3::transfer util)
