#include "serial/comm_event_thread.h"

#include <cstdio>
#include <exception>

namespace bv3::serial {

namespace {

// After a failed wait the thread pauses this long before it waits again, so a device that
// keeps failing costs a retry now and then instead of a spinning core.
constexpr std::int32_t failedWaitPauseMs = 100;

}  // namespace

TCommEventThread::TCommEventThread(platform::SerialDevice& port, TCommEventTypes events, Notification notification,
                                   platform::UiThread& ui)
    : state_(std::make_shared<State>()) {
    state_->port = &port;
    state_->ui = &ui;
    state_->notification = std::move(notification);
    (void)port.setCommMask(EventMask(events));
    thread_ = std::thread(&TCommEventThread::Execute, state_);
}

TCommEventThread::~TCommEventThread() {
    if (thread_.joinable()) {
        Stop();
        thread_.join();
    }
}

void TCommEventThread::Stop() {
    state_->terminated = true;
    state_->stop.request_stop();
    state_->wake.SetEvent();
}

void TCommEventThread::Join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void TCommEventThread::Detach() {
    if (thread_.joinable()) {
        thread_.detach();
    }
}

void TCommEventThread::Execute(const std::shared_ptr<State>& state) {
    platform::raiseCurrentThreadPriority();
    try {
        while (!state->terminated) {
            const platform::WaitResult result = state->port->waitCommEvent(state->wake.Handle());
            // From here on the port may be closed: only our own state is looked at.
            if (state->terminated) {
                break;
            }
            switch (result.status) {
                case platform::WaitResult::Status::events: {
                    const std::uint32_t mask = result.mask;
                    const bool delivered = platform::runOnUiThread(
                        *state->ui, [&state, mask] { state->notification(mask); }, state->stop.get_token());
                    if (!delivered) {
                        return;  // withdrawn by Stop
                    }
                    state->wake.ResetEvent();
                    break;
                }
                case platform::WaitResult::Status::woken:
                    state->wake.ResetEvent();
                    break;
                case platform::WaitResult::Status::failed:
                    (void)state->wake.WaitFor(failedWaitPauseMs);
                    break;
            }
        }
    } catch (const std::exception& e) {
        // Nothing may escape a thread; the port stays usable for Read and Write.
        std::fprintf(stderr, "bv3: serial event delivery stopped: %s\n", e.what());
    }
}

}  // namespace bv3::serial
