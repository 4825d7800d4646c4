// CreateEventA/SetEvent/ResetEvent/WaitForSingleObject behind WaitableEvent.
#include "platform/win32/win32_waitable_event.h"

#include <stdexcept>

namespace bv3::platform {

WaitableEvent::WaitableEvent(bool manualReset, bool initialState) : impl_(std::make_unique<Impl>()) {
    impl_->handle = CreateEventA(nullptr, manualReset ? TRUE : FALSE, initialState ? TRUE : FALSE, nullptr);
    if (impl_->handle == nullptr) {
        throw std::runtime_error("cannot create an event object (error " + std::to_string(GetLastError()) + ")");
    }
}

WaitableEvent::~WaitableEvent() {
    CloseHandle(impl_->handle);
}

void WaitableEvent::set() {
    SetEvent(impl_->handle);
}

void WaitableEvent::reset() {
    ResetEvent(impl_->handle);
}

WaitableEvent::Result WaitableEvent::wait(std::int32_t timeoutMs) {
    const DWORD limit = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    switch (WaitForSingleObject(impl_->handle, limit)) {
        case WAIT_OBJECT_0:
            return Result::signaled;
        case WAIT_TIMEOUT:
            return Result::timeout;
        case WAIT_ABANDONED:
            return Result::abandoned;
        default:
            lastError_ = static_cast<int>(GetLastError());
            return Result::error;
    }
}

void raiseCurrentThreadPriority() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
}

}  // namespace bv3::platform
