#pragma once
// An event object a thread can wait on, with a timeout, and that the serial device's event
// wait can watch together with the device itself. The backend decides what it is made of
// (posix: an eventfd), which is why its inside is hidden here.

#include <cstdint>
#include <memory>

namespace bv3::platform {

class WaitableEvent {
public:
    enum class Result { signaled, timeout, abandoned, error };

    // A manual-reset event stays signalled until reset; an auto-reset one is consumed by the
    // wait that sees it.
    WaitableEvent(bool manualReset, bool initialState);
    ~WaitableEvent();
    WaitableEvent(const WaitableEvent&) = delete;
    WaitableEvent& operator=(const WaitableEvent&) = delete;

    void set();
    void reset();
    // Waits at most timeoutMs (negative: no limit). On Result::error, lastError() tells why.
    Result wait(std::int32_t timeoutMs);
    int lastError() const { return lastError_; }

    struct Impl;  // defined by the backend
    Impl& impl() { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
    int lastError_ = 0;
};

// Gives the calling thread a higher scheduling priority where the OS lets us; silently
// carries on where it does not (an unprivileged process on Linux may not raise it).
void raiseCurrentThreadPriority();

}  // namespace bv3::platform
