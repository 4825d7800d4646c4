#pragma once
// The event thread of an open port, and the one owner of its lifetime: it waits for the
// device's events and hands each to the UI thread, waiting there until the notification has
// returned. It reaches the component only through that notification, and it alone knows
// whether a notification is running, whether the port was stopped meanwhile and whether the
// component that owns it still exists.
//
// Finish() ends it where the port's use ends: joined at once, or, when called inside this
// thread's own notification (the thread is waiting for that very call), right after the
// notification returns, still on the UI thread. Where the thread itself ran the notification
// in the UI thread's role (platform/inline_ui_thread.h), the UI thread's owner joins it on its
// next turn. No thread outlives the export or the command that opened the port.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <thread>

#include "platform/serial_port.h"
#include "platform/ui_thread.h"
#include "serial/comm_objs.h"

namespace bv3::serial {

class TCommEventThread {
    struct State;

public:
    // What a running notification may ask about its delivery.
    class Delivery {
    public:
        // False once the component that owns the thread has been destroyed (by a handler):
        // then nothing of it may be touched.
        bool OwnerAlive() const;

    private:
        friend class TCommEventThread;
        explicit Delivery(const State& state) : state_(state) {}
        const State& state_;
    };

    // `events` is what occurred (never empty); `lineErrors` errors the thread adds of its own
    // (a device whose event wait keeps failing reports LineError::deviceFailure).
    using Notification =
        std::function<void(platform::PortEvents events, platform::LineErrors lineErrors, const Delivery& delivery)>;

    // After this many failed event waits in a row the port reports a line error (a device
    // failure), so that a driver refusing the wait ends the transfer instead of hanging it.
    static constexpr int failedWaitLimit = 10;
    // The pause after a failed wait, so that a failing device costs a retry now and then
    // instead of a spinning core.
    static constexpr std::int32_t failedWaitPauseMs = 100;

    // Selects the watched events on `port` (borrowed) and starts the thread at once.
    TCommEventThread(platform::SerialPort& port, platform::PortEvents watched, Notification notification,
                     platform::UiThread& ui);
    // Finishes the thread.
    ~TCommEventThread();
    TCommEventThread(const TCommEventThread&) = delete;
    TCommEventThread& operator=(const TCommEventThread&) = delete;

    // Tells the thread to end, wakes it from its wait and withdraws a notification still
    // queued for the UI thread; then joins it, at once or, from inside its own notification,
    // as soon as that notification has returned. After it the thread touches neither the port
    // nor the notification's target again. Called on the UI thread; a second call does nothing.
    void Finish();
    // The owner is being destroyed: a notification running now hears so through its Delivery.
    void OwnerGone();

private:
    static void Execute(const std::shared_ptr<State>& state);
    // Hands one notification to the UI thread; false when Finish withdrew it.
    static bool Deliver(const std::shared_ptr<State>& state, platform::PortEvents events,
                        platform::LineErrors lineErrors);
    // Joins the thread Finish handed over from inside a notification, once that has returned.
    static void JoinAfterNotification(const std::shared_ptr<State>& state);

    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace bv3::serial
