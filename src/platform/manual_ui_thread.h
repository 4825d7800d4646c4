#pragma once
// A UI thread without a toolkit: the thread that created it is the UI thread, and posted tasks
// run when that thread calls pump(). Command-line programs and tests use it where no Qt event
// loop runs.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/ui_thread.h"

namespace bv3::platform {

class ManualUiThread : public UiThread {
public:
    ManualUiThread();
    bool isCurrent() const override;
    void post(std::function<void()> task) override;

    // Runs the tasks that are queued, waiting up to `timeout` for the first one. Returns how
    // many ran. Call it only on the thread that created this object.
    int pump(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));

private:
    std::thread::id owner_;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<std::function<void()>> tasks_;
};

}  // namespace bv3::platform
