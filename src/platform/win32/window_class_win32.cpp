// Window classes registered under the module's own instance and unregistered with it.
#include "platform/win32/window_class.h"

#include <stdexcept>
#include <string>

// The linker's symbol for the start of the module's own image: its instance handle.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace bv3::platform::win32 {

HINSTANCE ownModule() {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

WindowClass::WindowClass(const char* name, WNDPROC procedure, Look look, const char* purpose) : name_(name) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ownModule();
    if (look.arrowCursor) {
        windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    }
    if (look.buttonFace) {
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    }
    windowClass.lpszClassName = name;
    if (RegisterClassA(&windowClass) != 0) {
        return;
    }
    // Left behind under this instance by an earlier copy of the module that was not unloaded
    // cleanly: its procedure may be gone, so the class is made anew.
    if (GetLastError() == ERROR_CLASS_ALREADY_EXISTS && UnregisterClassA(name, ownModule()) &&
        RegisterClassA(&windowClass) != 0) {
        return;
    }
    throw std::runtime_error(std::string("cannot register the window class of ") + purpose + " (error " +
                             std::to_string(GetLastError()) + ")");
}

// Runs when the module unloads (its static objects end with it). A class that still has
// windows stays registered; by then none of the library's windows are open.
WindowClass::~WindowClass() {
    UnregisterClassA(name_, ownModule());
}

}  // namespace bv3::platform::win32
