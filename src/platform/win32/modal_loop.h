#pragma once
// What every modal window of the library does while it is open, as a modal form of the
// original toolkit does: the thread's other windows (the host's) are disabled, and the
// thread's messages are pumped until the window says it is done.

#include "platform/win32/windows_api.h"

#include <functional>
#include <vector>

namespace bv3::platform::win32 {

// The thread's visible, enabled top-level windows other than `modal`, disabled for the
// object's lifetime.
class DisabledWindows {
public:
    explicit DisabledWindows(HWND modal);
    ~DisabledWindows();
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;

private:
    static BOOL CALLBACK collect(HWND window, LPARAM self);
    HWND modal_;
    std::vector<HWND> windows_;
};

// Disables the thread's other windows, shows `modal` (and anything else `show` does), then
// dispatches the thread's messages until `done()` holds. `intercept` sees each message first
// and returns true for one it has handled itself. A WM_QUIT ends the loop and is posted again
// for the host's own loop. The owner window is activated again afterwards.
void runModalLoop(HWND modal, const std::function<void()>& show, const std::function<bool()>& done,
                  const std::function<bool(const MSG&)>& intercept = nullptr);

}  // namespace bv3::platform::win32
