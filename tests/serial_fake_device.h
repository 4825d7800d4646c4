#pragma once
// A scripted serial device for the paths a pseudo-terminal cannot take: driver calls that
// fail, reads that time out, a chosen set of events arriving at once.

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/serial_port.h"
#include "platform/waitable_event.h"
#include "serial/comm.h"
#include "serial/comm_line_translation.h"

namespace bv3::serial::testing {

struct FakeScript {
    int applyError = 0;
    int queuesError = 0;
    platform::IoResult readResult;
    platform::IoResult writeResult;
    platform::PortStatus status;
    platform::PortEvents repeatEvents;  // reported by every wait when not empty
    bool failWaits = false;             // every wait fails at once
    std::atomic<int> waits{0};
    Dcb reported;  // the line the device has at Open, as the component records it

    std::mutex mutex;
    std::deque<platform::PortEvents> events;  // reported one per wait, then the wait blocks
    platform::PortEvents watched;
    int purges = 0;
    platform::PortQueues purged = platform::PortQueues::both;

    // Queues one wait's report, given as the component's EV_ bits.
    void push(std::uint32_t mask) {
        std::lock_guard lock(mutex);
        events.push_back(portEventsOf(mask));
    }
};

class FakeDevice : public platform::SerialPort {
public:
    explicit FakeDevice(std::shared_ptr<FakeScript> script) : script_(std::move(script)) {}

    int readSettings(platform::LineSettings& settings) override {
        settings = lineSettingsOf(script_->reported);
        return 0;
    }
    int applySettings(const platform::LineSettings&) override { return script_->applyError; }
    int setQueueSizes(std::uint32_t, std::uint32_t) override { return script_->queuesError; }
    int watch(platform::PortEvents events) override {
        std::lock_guard lock(script_->mutex);
        script_->watched = events;
        return 0;
    }
    int takeStatus(platform::PortStatus& status) override {
        status = script_->status;
        return 0;
    }
    int purge(platform::PortQueues queues) override {
        std::lock_guard lock(script_->mutex);
        ++script_->purges;
        script_->purged = queues;
        return 0;
    }
    platform::IoResult read(std::span<std::uint8_t>, std::int32_t) override { return script_->readResult; }
    platform::IoResult write(std::span<const std::uint8_t>, std::int32_t) override { return script_->writeResult; }
    bool drainOutput(std::int32_t) override { return true; }

    platform::WaitResult wait(platform::WaitableEvent& cancel) override {
        ++script_->waits;
        if (script_->failWaits) {
            return {platform::WaitResult::Status::failed, {}, 5};
        }
        if (!script_->repeatEvents.empty()) {
            if (cancel.wait(0) == platform::WaitableEvent::Result::signaled) {
                return {platform::WaitResult::Status::cancelled, {}, 0};
            }
            return {platform::WaitResult::Status::events, script_->repeatEvents, 0};
        }
        for (;;) {
            {
                std::lock_guard lock(script_->mutex);
                if (!script_->events.empty()) {
                    const platform::PortEvents events = script_->events.front();
                    script_->events.pop_front();
                    return {platform::WaitResult::Status::events, events, 0};
                }
            }
            if (cancel.wait(5) == platform::WaitableEvent::Result::signaled) {
                return {platform::WaitResult::Status::cancelled, {}, 0};
            }
        }
    }

private:
    std::shared_ptr<FakeScript> script_;
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
