#include "serial/comm_event_thread.h"

#include <cstdio>
#include <exception>

#include "serial/comm_control_block.h"
#include "serial/comm_line_translation.h"

namespace bv3::serial {

TCommEventThread::TCommEventThread(platform::SerialPort& port, TCommEventTypes events, Notification notification,
                                   platform::UiThread& ui)
    : state_(std::make_shared<State>()) {
    state_->port = &port;
    state_->ui = &ui;
    state_->notification = std::move(notification);
    state_->monitored = EventMask(events);
    (void)port.watch(portEventsOf(state_->monitored));
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

void TCommEventThread::JoinAfterNotification() {
    if (thread_.joinable()) {
        state_->joinAfterNotification = std::move(thread_);
    }
}

bool TCommEventThread::Deliver(const std::shared_ptr<State>& state, std::uint32_t mask, std::uint32_t lineErrors) {
    return platform::runOnUiThread(
        *state->ui, [&state, mask, lineErrors] { state->notification(mask, lineErrors); }, state->stop.get_token(),
        // Runs on the UI thread once this thread has been released from the call: if the
        // notification closed the port, this thread is about to end and is joined here.
        [state] {
            if (state->joinAfterNotification.joinable()) {
                state->joinAfterNotification.join();
            }
        });
}

void TCommEventThread::Execute(const std::shared_ptr<State>& state) {
    platform::raiseCurrentThreadPriority();
    try {
        int failedInARow = 0;
        while (!state->terminated) {
            const platform::WaitResult result = state->port->wait(state->wake.Handle());
            // From here on the port may be closed: only our own state is looked at.
            if (state->terminated) {
                break;
            }
            switch (result.status) {
                case platform::WaitResult::Status::events:
                    failedInARow = 0;
                    if (!Deliver(state, commEventMaskOf(result.events), 0)) {
                        return;  // withdrawn by Stop
                    }
                    state->wake.ResetEvent();
                    break;
                case platform::WaitResult::Status::cancelled:
                    state->wake.ResetEvent();
                    break;
                case platform::WaitResult::Status::failed:
                    if (++failedInARow >= failedWaitLimit && (state->monitored & commevent::EV_ERR)) {
                        // The driver keeps refusing the wait: no event will ever arrive, so
                        // the owner hears of it as the line error of a device gone bad.
                        failedInARow = 0;
                        if (!Deliver(state, commevent::EV_ERR, commerror::CE_IOE)) {
                            return;
                        }
                        state->wake.ResetEvent();
                    }
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
