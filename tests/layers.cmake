# The layers hold by construction: each piece compiles against its own folder's headers and
# those of the pieces it links (cmake/Bv3Subsystem.cmake), nothing more. Each case compiles one
# include line against the whole include path of a real target, as its own sources see it.
#   bv3_layer_case(<target> allowed|forbidden <header as included>)
set(layer_work ${CMAKE_CURRENT_BINARY_DIR}/layers)
set(layer_flags -std=c++20)
if(NOT WIN32)
  # The Qt headers insist on position-independent code.
  list(APPEND layer_flags -fPIC)
endif()

function(bv3_layer_case target expectation header)
  if(NOT TARGET ${target})
    return()
  endif()
  set(path_file ${layer_work}/${target}.include-path)
  get_property(generated GLOBAL PROPERTY bv3_layer_path_${target})
  if(NOT generated)
    file(GENERATE OUTPUT ${path_file} CONTENT "$<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>")
    set_property(GLOBAL PROPERTY bv3_layer_path_${target} TRUE)
  endif()
  string(REGEX REPLACE "[<>]" "" name "${header}")
  string(MAKE_C_IDENTIFIER "${target}_${name}" work)
  add_test(NAME layers.${target}.${expectation}.${name}
           COMMAND ${CMAKE_COMMAND} -DCOMPILER=${CMAKE_CXX_COMPILER} "-DFLAGS=${layer_flags}"
                   -DINCLUDE_PATH_FILE=${path_file} -DHEADER=${header} -DEXPECT=${expectation}
                   -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DWORK=${layer_work}/${work}
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check_layer_include.cmake)
  set_tests_properties(layers.${target}.${expectation}.${name} PROPERTIES LABELS unit TIMEOUT 120)
endfunction()

# Standard library only: the core reaches its own headers and safe_write's, nothing above.
bv3_layer_case(bv3_channeldb allowed channeldb/layout.h)
bv3_layer_case(bv3_channeldb allowed safe_write/safe_write.h)
bv3_layer_case(bv3_channeldb forbidden transfer/upload_protocol.h)
bv3_layer_case(bv3_channeldb forbidden ui/qt/about_box.h)
bv3_layer_case(bv3_channeldb forbidden platform/serial_port.h)
bv3_layer_case(bv3_channeldb forbidden <QDialog>)
bv3_layer_case(bv3_compress forbidden channeldb/layout.h)
bv3_layer_case(bv3_edit allowed channeldb/channel_database.h)
bv3_layer_case(bv3_edit forbidden qdfbuild/qdf_build.h)
bv3_layer_case(bv3_serial forbidden transfer/upload_session.h)
# Protocols, sessions and the dialogs' controllers: no toolkit, no toolkit's windows, no
# backend internals; the forms' toolkit-free descriptions and the message-box service are theirs.
bv3_layer_case(bv3_transfer allowed transfer/upload_session.h)
bv3_layer_case(bv3_transfer allowed serial/comm.h)
bv3_layer_case(bv3_transfer forbidden <QDialog>)
bv3_layer_case(bv3_transfer forbidden transfer/qt/upload_dialog.h)
bv3_layer_case(bv3_transfer forbidden transfer/win32/upload_dialog_native.h)
bv3_layer_case(bv3_transfer allowed ui/form_layout.h)
bv3_layer_case(bv3_transfer forbidden ui/qt/form_font.h)
bv3_layer_case(bv3_transfer forbidden platform/posix/line_termios.h)
bv3_layer_case(bv3_ui allowed ui/gauge_picture.h)
bv3_layer_case(bv3_ui forbidden ui/qt/progress.h)
bv3_layer_case(bv3_ui forbidden <QWidget>)
bv3_layer_case(bv3_platform_portable forbidden serial/comm.h)
# The toolkit pieces reach their own folder, their parent's piece and the toolkit.
bv3_layer_case(bv3_transfer_qt allowed transfer/qt/upload_dialog.h)
bv3_layer_case(bv3_transfer_win32 allowed transfer/win32/upload_dialog_native.h)
bv3_layer_case(bv3_ui_qt forbidden transfer/qt/upload_dialog.h)
# The programs of tools/ follow the same rule: each reaches its own folder and the pieces it
# links, never another program's folder.
bv3_layer_case(bv3_stbsim allowed stb-sim/receiver_simulator.h)
bv3_layer_case(bv3_stbsim forbidden bv3/command_registry.h)
bv3_layer_case(bv3_stbsim forbidden bv3-gui/gui_module.h)
bv3_layer_case(bv3 allowed bv3/command_registry.h)
bv3_layer_case(bv3 allowed bv3-gui/gui_module.h)
bv3_layer_case(bv3 forbidden stb-sim/receiver_simulator.h)
bv3_layer_case(bv3 forbidden ui/qt/progress.h)
bv3_layer_case(bv3-gui forbidden bv3/command_registry.h)
bv3_layer_case(bv3-gui forbidden stb-sim/sim_port.h)
bv3_layer_case(stb-sim forbidden bv3/transfer_runner.h)
bv3_layer_case(bv3_editor_app forbidden stb-sim/receiver_simulator.h)
bv3_layer_case(bv3_editor_app forbidden bv3/list_comparison.h)

# Each toolkit-free piece links on its own: a program that takes in every object of the piece
# (the whole archive, not only what a caller happens to use) and nothing of a toolkit links,
# and needs no toolkit library to start. A piece that leaves a symbol for a toolkit piece to
# provide fails the build here.
set(toolkit_free_pieces bv3_safe_write bv3_channeldb bv3_compress bv3_edit bv3_qdfbuild bv3_serial bv3_transfer
                        bv3_ui)
foreach(piece IN LISTS toolkit_free_pieces)
  if(NOT TARGET ${piece})
    continue()
  endif()
  set(program link_alone_${piece})
  add_executable(${program} ${CMAKE_CURRENT_SOURCE_DIR}/link_alone_main.cpp)
  target_link_libraries(${program} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${piece}>" bv3::platform)
  bv3_warnings(${program})
  if(NOT WIN32)
    add_test(NAME layers.${piece}.links_alone
             COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}>
                     -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check_no_toolkit.cmake)
    set_tests_properties(layers.${piece}.links_alone PROPERTIES LABELS unit TIMEOUT 120)
  endif()
endforeach()
