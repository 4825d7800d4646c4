#pragma once
// The window classes of the Win32 backend belong to the module they are linked into: in a
// host, BV3Dll.dll, not the host's program. A class is registered under that module's instance
// the first time it is needed and unregistered when the module unloads, so a host that frees
// the library and loads it again (perhaps at another address) never reaches a window
// procedure of the unloaded copy: Windows unregisters a DLL's classes only with the process.

#include "platform/win32/windows_api.h"

namespace bv3::platform::win32 {

// The module (DLL or program) this code is linked into.
HINSTANCE ownModule();

class WindowClass {
public:
    struct Look {
        bool arrowCursor = false;
        bool buttonFace = false;  // the background of dialogs; none otherwise
    };

    // Registers `name` (which must outlive the object) with `procedure` under ownModule();
    // throws std::runtime_error naming `purpose` when Windows refuses.
    WindowClass(const char* name, WNDPROC procedure, Look look, const char* purpose);
    ~WindowClass();
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

    const char* name() const { return name_; }

private:
    const char* name_;
};

}  // namespace bv3::platform::win32
