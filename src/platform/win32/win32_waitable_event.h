#pragma once
// Inside of the Win32 WaitableEvent: an event object, which the serial device's event wait
// waits on beside its own overlapped-completion event.

#include "platform/waitable_event.h"
#include "platform/win32/windows_api.h"

namespace bv3::platform {

struct WaitableEvent::Impl {
    HANDLE handle = nullptr;
};

}  // namespace bv3::platform
