#include "platform/win32/modal_loop.h"

namespace bv3::platform::win32 {

DisabledWindows::DisabledWindows(HWND modal) : modal_(modal) {
    EnumThreadWindows(GetCurrentThreadId(), collect, reinterpret_cast<LPARAM>(this));
    for (HWND window : windows_) {
        EnableWindow(window, FALSE);
    }
}

DisabledWindows::~DisabledWindows() {
    for (HWND window : windows_) {
        EnableWindow(window, TRUE);
    }
}

BOOL CALLBACK DisabledWindows::collect(HWND window, LPARAM self) {
    auto* disabled = reinterpret_cast<DisabledWindows*>(self);
    if (window != disabled->modal_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
        disabled->windows_.push_back(window);
    }
    return TRUE;
}

void runModalLoop(HWND modal, const std::function<void()>& show, const std::function<bool()>& done,
                  const std::function<bool(const MSG&)>& intercept) {
    HWND owner = GetWindow(modal, GW_OWNER);
    {
        // The host's windows are disabled before the modal window appears, so that no input
        // reaches them once it is on screen.
        const DisabledWindows disabled(modal);
        show();
        MSG message{};
        while (!done()) {
            const BOOL got = GetMessageA(&message, nullptr, 0, 0);
            if (got == 0) {
                // The host is quitting: end the window and hand the quit on to the host's loop.
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (got == -1) {
                break;
            }
            if (intercept && intercept(message)) {
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (owner != nullptr && IsWindow(owner)) {
        SetActiveWindow(owner);
    }
}

}  // namespace bv3::platform::win32
