#pragma once
// The seam between bv3 and its windowed part. Commands that open no window must not load the
// toolkit, so the about box and the transfer dialogs (--gui) live in a module of their own
// (libbv3-gui.so) that bv3 loads only when one of them is asked for. Both sides include this
// header; the entry points are plain C so that no exception and no C++ object crosses the
// boundary.

#include <cstddef>
#include <cstdint>

extern "C" {

// The module's file name, found through bv3's RUNPATH.
#define BV3_GUI_MODULE_FILE "libbv3-gui.so"

// Bumped whenever an entry point below changes, so that bv3 never calls a module of another
// build with the wrong arguments.
#define BV3_GUI_MODULE_VERSION 1

enum Bv3GuiStatus { bv3GuiOk = 0, bv3GuiFailed = 1 };

struct Bv3GuiTransfer {
    int upload;       // 1: receive the receiver's memory into file; 0: send file to the receiver
    const char* file;
    const char* port;
    int baudRate;     // a serial::TBaudrate value, already checked by bv3
    const char* screenshot;  // empty: none
    int screenshotPercent;
};

// Each entry writes a failure's text (NUL-terminated, cut to size) into message and returns
// bv3GuiFailed; on success it returns bv3GuiOk.
using Bv3GuiVersionEntry = int (*)();
using Bv3GuiAboutEntry = int (*)(const char* screenshot, char* message, std::size_t size);
using Bv3GuiTransferEntry = int (*)(const Bv3GuiTransfer* request, char* message, std::size_t size);
}

#define BV3_GUI_VERSION_SYMBOL "bv3GuiVersion"
#define BV3_GUI_ABOUT_SYMBOL "bv3GuiRunAbout"
#define BV3_GUI_TRANSFER_SYMBOL "bv3GuiRunTransfer"
