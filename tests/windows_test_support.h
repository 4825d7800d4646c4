#pragma once
// What the Windows test programs share under Wine.

#include "platform/win32/windows_api.h"

// True when windows can be created here: on the run's virtual display, not in a headless run.
inline bool windowsCanBeShown() {
    HWND probe = CreateWindowExA(0, "STATIC", "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    if (probe == nullptr) {
        return false;
    }
    DestroyWindow(probe);
    return true;
}

// True under Wine, whose ntdll offers its version; Wine differs from Windows in a few places
// the tests must allow for (it does not enforce a serial port's exclusive open).
inline bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
