#pragma once
// The event thread of an open port: it waits for the device's communication events and hands
// each to the UI thread, waiting there until the notification has returned. It reaches the
// component only through that notification.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <thread>

#include "platform/serial_device.h"
#include "platform/ui_thread.h"
#include "serial/comm_objs.h"
#include "serial/comm_types.h"

namespace bv3::serial {

class TCommEventThread {
public:
    using Notification = std::function<void(std::uint32_t mask)>;

    // Selects the monitored events on `port` (borrowed) and starts the thread at once.
    TCommEventThread(platform::SerialDevice& port, TCommEventTypes events, Notification notification,
                     platform::UiThread& ui);
    // Stops the thread and waits for its end, unless it was detached.
    ~TCommEventThread();
    TCommEventThread(const TCommEventThread&) = delete;
    TCommEventThread& operator=(const TCommEventThread&) = delete;

    // Wakes the thread from its wait and tells it to end; a notification still queued for the
    // UI thread is withdrawn. Does not wait.
    void Stop();
    // Waits for the thread's end. Must not be called from inside this thread's notification.
    void Join();
    // Lets the stopped thread finish by itself. After Stop the thread touches neither the port
    // nor the notification's target again, so this is safe from inside a notification.
    void Detach();

private:
    struct State {
        platform::SerialDevice* port = nullptr;
        platform::UiThread* ui = nullptr;
        Notification notification;
        TSimpleEvent wake;
        std::atomic<bool> terminated{false};
        std::stop_source stop;
    };

    static void Execute(const std::shared_ptr<State>& state);

    std::shared_ptr<State> state_;
    std::thread thread_;
};

}  // namespace bv3::serial
