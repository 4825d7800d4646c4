#include "serial/comm_objs.h"

namespace bv3::serial {

THandleObject::THandleObject(std::unique_ptr<platform::WaitableEvent> handle) : handle_(std::move(handle)) {}

TWaitResult THandleObject::WaitFor(std::int32_t timeout) {
    switch (handle_->wait(timeout)) {
        case platform::WaitableEvent::Result::signaled:
            return TWaitResult::wrSignaled;
        case platform::WaitableEvent::Result::timeout:
            return TWaitResult::wrTimeout;
        case platform::WaitableEvent::Result::abandoned:
            return TWaitResult::wrAbandoned;
        case platform::WaitableEvent::Result::error:
            break;
    }
    lastError_ = handle_->lastError();
    return TWaitResult::wrError;
}

TEvent::TEvent(bool manualReset, bool initialState)
    : THandleObject(std::make_unique<platform::WaitableEvent>(manualReset, initialState)) {}

void TEvent::SetEvent() {
    handle_->set();
}

void TEvent::ResetEvent() {
    handle_->reset();
}

TSimpleEvent::TSimpleEvent() : TEvent(true, false) {}

}  // namespace bv3::serial
