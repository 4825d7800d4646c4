#include "serial/comm_event_thread.h"

#include <cstdio>
#include <exception>

namespace bv3::serial {

struct TCommEventThread::State {
    platform::SerialPort* port = nullptr;
    platform::UiThread* ui = nullptr;
    Notification notification;
    bool watchesLineErrors = false;
    TSimpleEvent wake;
    std::atomic<bool> terminated{false};
    std::stop_source stop;
    // The fields below are touched only on the UI thread.
    bool inNotification = false;
    bool ownerGone = false;
    // Handed over by Finish from inside the notification; joined by the UI thread once the
    // running notification has returned.
    std::thread joinAfterNotification;
};

bool TCommEventThread::Delivery::OwnerAlive() const {
    return !state_.ownerGone;
}

TCommEventThread::TCommEventThread(platform::SerialPort& port, platform::PortEvents watched, Notification notification,
                                   platform::UiThread& ui)
    : state_(std::make_shared<State>()) {
    state_->port = &port;
    state_->ui = &ui;
    state_->notification = std::move(notification);
    state_->watchesLineErrors = watched.has(platform::PortEvent::lineError);
    (void)port.watch(watched);
    thread_ = std::thread(&TCommEventThread::Execute, state_);
}

TCommEventThread::~TCommEventThread() {
    Finish();
}

void TCommEventThread::Finish() {
    state_->terminated = true;
    state_->stop.request_stop();
    state_->wake.SetEvent();
    if (!thread_.joinable()) {
        return;
    }
    if (state_->inNotification) {
        // The thread is waiting for the notification that called us to return, so it cannot
        // be joined here. Once it returns the thread sees the stop and ends without touching
        // the port or the owner, and the UI thread joins it right there.
        state_->joinAfterNotification = std::move(thread_);
    } else {
        thread_.join();
    }
}

void TCommEventThread::OwnerGone() {
    state_->ownerGone = true;
}

bool TCommEventThread::Deliver(const std::shared_ptr<State>& state, platform::PortEvents events,
                               platform::LineErrors lineErrors) {
    const auto notify = [&state, events, lineErrors] {
        // A notification of a port finished since it was queued is never delivered.
        if (state->terminated) {
            return;
        }
        // A handler's nested event loop cannot run this thread's next notification: the
        // thread waits for this one, so a plain flag is enough.
        state->inNotification = true;
        struct Leave {
            State& state;
            ~Leave() { state.inNotification = false; }
        } leave{*state};
        state->notification(events, lineErrors, Delivery(*state));
    };
    return platform::runOnUiThread(*state->ui, notify, state->stop.get_token(),
                                   // Runs on the UI thread once this thread has been released
                                   // from the call: if the notification closed the port, this
                                   // thread is about to end and is joined here.
                                   [state] { JoinAfterNotification(state); });
}

void TCommEventThread::JoinAfterNotification(const std::shared_ptr<State>& state) {
    std::thread& thread = state->joinAfterNotification;
    if (!thread.joinable()) {
        return;
    }
    if (thread.get_id() != std::this_thread::get_id()) {
        thread.join();
        return;
    }
    // The notification ran on this very thread, in the UI thread's role (a UI thread that lets
    // the worker take it): a thread cannot join itself. It ends as soon as this returns, and
    // the UI thread's owner joins it on its next turn.
    state->ui->post([state] {
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
                    if (!Deliver(state, result.events, {})) {
                        return;  // withdrawn by Finish
                    }
                    state->wake.ResetEvent();
                    break;
                case platform::WaitResult::Status::cancelled:
                    state->wake.ResetEvent();
                    break;
                case platform::WaitResult::Status::failed:
                    if (++failedInARow >= failedWaitLimit && state->watchesLineErrors) {
                        // The driver keeps refusing the wait: no event will ever arrive, so
                        // the owner hears of it as the line error of a device gone bad.
                        failedInARow = 0;
                        if (!Deliver(state, {platform::PortEvent::lineError},
                                     {platform::LineError::deviceFailure})) {
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
