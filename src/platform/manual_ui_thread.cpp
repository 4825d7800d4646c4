#include "platform/manual_ui_thread.h"

namespace bv3::platform {

ManualUiThread::ManualUiThread() : owner_(std::this_thread::get_id()) {}

bool ManualUiThread::isCurrent() const {
    return std::this_thread::get_id() == owner_;
}

void ManualUiThread::post(std::function<void()> task) {
    // Notified under the lock: once the UI thread can take the task, the poster no longer
    // touches this object, which may then go away with its owner.
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    queued_.notify_one();
}

int ManualUiThread::pump(std::chrono::milliseconds timeout) {
    std::deque<std::function<void()>> batch;
    {
        std::unique_lock lock(mutex_);
        queued_.wait_for(lock, timeout, [this] { return !tasks_.empty(); });
        batch.swap(tasks_);
    }
    int ran = 0;
    for (auto& task : batch) {
        task();
        ++ran;
    }
    return ran;
}

}  // namespace bv3::platform
