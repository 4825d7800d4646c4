#pragma once
// A scripted serial device for the paths a pseudo-terminal cannot take: driver calls that
// fail, reads that time out, a chosen set of events arriving at once.

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/serial_device.h"
#include "platform/waitable_event.h"
#include "serial/comm.h"

namespace bv3::serial::testing {

struct FakeScript {
    int setStateError = 0;
    int timeoutsError = 0;
    int queuesError = 0;
    platform::IoResult readResult;
    platform::IoResult writeResult;
    platform::CommStatus status;
    std::uint32_t repeatMask = 0;  // reported by every wait when not 0
    bool failWaits = false;        // every wait fails at once
    std::atomic<int> waits{0};
    platform::Dcb reported;  // what the device reports before the first write of the block

    std::mutex mutex;
    std::deque<std::uint32_t> masks;  // reported one per wait, then the wait blocks
    std::uint32_t commMask = 0;
    int purges = 0;
    std::uint32_t purgeFlags = 0;

    void push(std::uint32_t mask) {
        std::lock_guard lock(mutex);
        masks.push_back(mask);
    }
};

class FakeDevice : public platform::SerialDevice {
public:
    explicit FakeDevice(std::shared_ptr<FakeScript> script) : script_(std::move(script)), state_(script_->reported) {}

    int getState(platform::Dcb& dcb) override {
        dcb = state_;
        return 0;
    }
    int setState(const platform::Dcb& dcb) override {
        if (script_->setStateError != 0) {
            return script_->setStateError;
        }
        state_ = dcb;
        return 0;
    }
    int setTimeouts(const platform::CommTimeouts&) override { return script_->timeoutsError; }
    int setupQueues(std::int32_t, std::int32_t) override { return script_->queuesError; }
    int setCommMask(std::uint32_t mask) override {
        std::lock_guard lock(script_->mutex);
        script_->commMask = mask;
        return 0;
    }
    int clearError(platform::CommStatus& status) override {
        status = script_->status;
        return 0;
    }
    int purge(std::uint32_t flags) override {
        std::lock_guard lock(script_->mutex);
        ++script_->purges;
        script_->purgeFlags = flags;
        return 0;
    }
    platform::IoResult read(std::span<std::uint8_t>, std::int32_t) override { return script_->readResult; }
    platform::IoResult write(std::span<const std::uint8_t>, std::int32_t) override { return script_->writeResult; }
    bool drainOutput(std::int32_t) override { return true; }

    platform::WaitResult waitCommEvent(platform::WaitableEvent& wake) override {
        ++script_->waits;
        if (script_->failWaits) {
            return {platform::WaitResult::Status::failed, 0, 5};
        }
        if (script_->repeatMask != 0) {
            if (wake.wait(0) == platform::WaitableEvent::Result::signaled) {
                return {platform::WaitResult::Status::woken, 0, 0};
            }
            return {platform::WaitResult::Status::events, script_->repeatMask, 0};
        }
        for (;;) {
            {
                std::lock_guard lock(script_->mutex);
                if (!script_->masks.empty()) {
                    const std::uint32_t mask = script_->masks.front();
                    script_->masks.pop_front();
                    return {platform::WaitResult::Status::events, mask, 0};
                }
            }
            if (wake.wait(5) == platform::WaitableEvent::Result::signaled) {
                return {platform::WaitResult::Status::woken, 0, 0};
            }
        }
    }

private:
    std::shared_ptr<FakeScript> script_;
    platform::Dcb state_;
};

// A TComm on the scripted device, with the protected steps opened up for tests.
class FakeComm : public TComm {
public:
    explicit FakeComm(std::shared_ptr<FakeScript> script) : script_(std::move(script)) {}
    using TCustomComm::ApplyFlowControl;

protected:
    void CreateHandle() override { FHandle = std::make_unique<FakeDevice>(script_); }

private:
    std::shared_ptr<FakeScript> script_;
};

}  // namespace bv3::serial::testing
