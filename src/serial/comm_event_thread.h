#pragma once
// The event thread of an open port: it waits for the device's communication events and hands
// each to the UI thread, waiting there until the notification has returned. It reaches the
// component only through that notification.
//
// Its owner joins it where the port's use ends: Close joins it at once, or, when Close runs
// inside this thread's own notification (the thread is waiting for that very call), right
// after the notification returns, still on the UI thread. No thread outlives the export or
// the command that opened the port.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <thread>

#include "platform/serial_port.h"
#include "platform/ui_thread.h"
#include "serial/comm_objs.h"
#include "serial/comm_types.h"

namespace bv3::serial {

class TCommEventThread {
public:
    // `mask` holds the events that occurred; `lineErrors` error bits the thread adds of its own
    // (a device whose event wait keeps failing reports CE_IOE).
    using Notification = std::function<void(std::uint32_t mask, std::uint32_t lineErrors)>;

    // After this many failed event waits in a row the port reports a line error (EV_ERR with
    // CE_IOE), so that a driver refusing the wait ends the transfer instead of hanging it.
    static constexpr int failedWaitLimit = 10;
    // The pause after a failed wait, so that a failing device costs a retry now and then
    // instead of a spinning core.
    static constexpr std::int32_t failedWaitPauseMs = 100;

    // Selects the monitored events on `port` (borrowed) and starts the thread at once.
    TCommEventThread(platform::SerialPort& port, TCommEventTypes events, Notification notification,
                     platform::UiThread& ui);
    // Stops the thread and waits for its end, unless it is to be joined after its notification.
    ~TCommEventThread();
    TCommEventThread(const TCommEventThread&) = delete;
    TCommEventThread& operator=(const TCommEventThread&) = delete;

    // Wakes the thread from its wait and tells it to end; a notification still queued for the
    // UI thread is withdrawn. Does not wait.
    void Stop();
    // Waits for the thread's end. Must not be called from inside this thread's notification.
    void Join();
    // From inside this thread's own notification, after Stop: the thread is joined on the UI
    // thread as soon as that notification has returned. After Stop it touches neither the port
    // nor the notification's target again.
    void JoinAfterNotification();

private:
    struct State {
        platform::SerialPort* port = nullptr;
        platform::UiThread* ui = nullptr;
        Notification notification;
        std::uint32_t monitored = 0;  // the EV_ bits of MonitorEvents
        TSimpleEvent wake;
        std::atomic<bool> terminated{false};
        std::stop_source stop;
        // Handed over by JoinAfterNotification; joined by the UI thread once the running
        // notification has returned. Touched only on the UI thread.
        std::thread joinAfterNotification;
    };

    static void Execute(const std::shared_ptr<State>& state);
    // Hands one notification to the UI thread; false when Stop withdrew it.
    static bool Deliver(const std::shared_ptr<State>& state, std::uint32_t mask, std::uint32_t lineErrors);

    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace bv3::serial
