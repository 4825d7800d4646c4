# The Windows builds: the export directories a host relies on, and the library loaded by
# a host program the way the channel-list editor does (run under Wine through CMake's
# cross-compiling emulator).
if(NOT WIN32)
  return()
endif()

set(BV3_OBJDUMP ${CMAKE_OBJDUMP})
set(bv3_dll_exports "1:GetIRDModel;2:V3QnfToQnf;3:QnfToV3Qnf;4:DownloadData;5:UploadSystemID;6:UploadData;7:RawToQnf;8:QnfToQDF;9:VYRAbout")
# The 32-bit library's calling conventions, read from its machine code: the nine exports are
# C-convention (a plain `ret`), EncodeQDF is stdcall with its 8 bytes of arguments. The 64-bit
# build has one calling convention only.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(bv3_machine i386)
  string(REPLACE ";" ":ret;" bv3_dll_returns "GetIRDModel;V3QnfToQnf;QnfToV3Qnf;DownloadData;UploadSystemID;UploadData;RawToQnf;QnfToQDF;VYRAbout:ret")
  set(bv3_encoder_returns "EncodeQDF@8:ret $0x8")
else()
  set(bv3_machine x86-64)
  set(bv3_dll_returns "")
  set(bv3_encoder_returns "")
endif()
add_test(NAME windows.export_table
         COMMAND ${CMAKE_COMMAND} -DLIBRARY=$<TARGET_FILE:BV3Dll> -DOBJDUMP=${BV3_OBJDUMP} -DDLL_NAME=BV3Dll.dll
                 "-DEXPORTS=${bv3_dll_exports}" -DMACHINE=${bv3_machine} "-DRETURNS=${bv3_dll_returns}"
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check_windows_exports.cmake)
add_test(NAME windows.encoder_export_table
         COMMAND ${CMAKE_COMMAND} -DLIBRARY=$<TARGET_FILE:tqrdll12> -DOBJDUMP=${BV3_OBJDUMP} -DDLL_NAME=tqrdll12.dll
                 -DEXPORTS=1:EncodeQDF -DMACHINE=${bv3_machine} "-DRETURNS=${bv3_encoder_returns}"
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check_windows_exports.cmake)
# "abi": the checks that need no Wine, which run on every machine (scripts/test-windows.sh).
set_tests_properties(windows.export_table windows.encoder_export_table PROPERTIES LABELS "unit;abi")

# The host stand-in: loads BV3Dll.dll (and through it tqrdll12.dll) from beside itself.
bv3_add_test_suite(NAME test_windows_host LABELS unit
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_windows_host.cpp
                   LIBS bv3::channeldb bv3::qdf_format bv3::platform_win32)
add_dependencies(test_windows_host BV3Dll tqrdll12)
# A box nobody answers would wait for ever; the whole suite needs seconds.
set_tests_properties(test_windows_host PROPERTIES TIMEOUT 180)

# The serial component on the Windows communications API, against the Wine COM port that the
# test script maps onto an echoing pseudo-terminal (skipped when no port is named).
bv3_add_test_suite(NAME test_windows_serial LABELS unit
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_windows_serial.cpp
                   LIBS bv3::serial bv3::platform_win32)
set_tests_properties(test_windows_serial PROPERTIES TIMEOUT 120)

# The transfer dialogs on the platform's own windows and the UI thread's hand-off.
bv3_add_test_suite(NAME test_windows_transfer LABELS unit
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_windows_transfer.cpp
                   LIBS bv3::transfer_win32 bv3::platform_win32)
set_tests_properties(test_windows_transfer PROPERTIES TIMEOUT 120)

# Both programs open windows on the run's one display and the host test finds them by
# caption; run side by side, one could answer or cancel the other's window.
set_tests_properties(test_windows_host test_windows_transfer PROPERTIES RESOURCE_LOCK desktop)

# Whole transfers through BV3Dll.dll's exports against the receiver simulator on Wine COM
# ports; skipped unless tests/scripts/wine_transfers.sh has set the scene and names it.
bv3_add_test_suite(NAME test_windows_transfer_e2e LABELS e2e
                   SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/test_windows_transfer_e2e.cpp
                   LIBS bv3::platform_win32)
add_dependencies(test_windows_transfer_e2e BV3Dll tqrdll12)
set_tests_properties(test_windows_transfer_e2e PROPERTIES TIMEOUT 60)

# Test equipment for the whole transfers' table of times: the cost of Wine's serial emulation
# alone, one byte each way as plainly as the Windows API allows (not a test).
add_executable(wine_serial_floor ${CMAKE_CURRENT_SOURCE_DIR}/wine_serial_floor.cpp)
target_link_libraries(wine_serial_floor PRIVATE bv3::platform_win32)
bv3_warnings(wine_serial_floor)
