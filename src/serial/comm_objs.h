#pragma once
// The small synchronisation objects the serial component is built from: a waitable handle, an
// event (manual reset in TSimpleEvent) and a critical section.

#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/waitable_event.h"

namespace bv3::serial {

enum class TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

class THandleObject {
public:
    virtual ~THandleObject() = default;
    THandleObject(const THandleObject&) = delete;
    THandleObject& operator=(const THandleObject&) = delete;

    // Waits on the handle at most `timeout` ms (negative: no limit). A failed wait stores the
    // platform's error number in LastError().
    TWaitResult WaitFor(std::int32_t timeout);
    std::int32_t LastError() const { return lastError_; }
    platform::WaitableEvent& Handle() { return *handle_; }

protected:
    explicit THandleObject(std::unique_ptr<platform::WaitableEvent> handle);
    std::unique_ptr<platform::WaitableEvent> handle_;
    std::int32_t lastError_ = 0;
};

class TEvent : public THandleObject {
public:
    TEvent(bool manualReset, bool initialState);
    void SetEvent();
    void ResetEvent();
};

// An unnamed, manual-reset event that starts non-signalled.
class TSimpleEvent : public TEvent {
public:
    TSimpleEvent();
};

class TCriticalSection {
public:
    TCriticalSection() = default;
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;
    void Acquire() { mutex_.lock(); }
    void Release() { mutex_.unlock(); }
    // Lets std::lock_guard / std::unique_lock hold it.
    void lock() { Acquire(); }
    void unlock() { Release(); }

private:
    std::mutex mutex_;
};

}  // namespace bv3::serial
