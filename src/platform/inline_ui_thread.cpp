#include "platform/inline_ui_thread.h"

namespace bv3::platform {

InlineUiThread::~InlineUiThread() {
    try {
        turn(std::chrono::milliseconds(0));
    } catch (...) {
        // Nothing may leave a destructor; what was left to run belonged to finished work.
    }
}

InlineUiThread::Role::~Role() {
    {
        std::lock_guard lock(ui_.mutex_);
        ui_.taken_ = false;
        ui_.holder_ = {};
    }
    ui_.released_.notify_all();
}

void InlineUiThread::take() {
    taken_ = true;
    holder_ = std::this_thread::get_id();
}

bool InlineUiThread::isCurrent() const {
    std::lock_guard lock(mutex_);
    return taken_ && holder_ == std::this_thread::get_id();
}

void InlineUiThread::post(std::function<void()> task) {
    // Notified under the lock: once the owner can take the task, the poster no longer touches
    // this object, which may then go away with its owner.
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    queued_.notify_one();
}

std::optional<bool> InlineUiThread::runInRole(const std::function<void()>& fn, std::stop_token cancel) {
    {
        std::unique_lock lock(mutex_);
        if (!released_.wait(lock, cancel, [this] { return !taken_; }) || cancel.stop_requested()) {
            return false;
        }
        take();
    }
    Role role(*this);
    fn();
    return true;
}

void InlineUiThread::turn(std::chrono::milliseconds timeout, const std::function<void()>& step) {
    std::deque<std::function<void()>> batch;
    {
        std::unique_lock lock(mutex_);
        queued_.wait_for(lock, timeout, [this] { return !tasks_.empty(); });
        released_.wait(lock, [this] { return !taken_; });
        take();
        batch.swap(tasks_);
    }
    Role role(*this);
    for (auto& task : batch) {
        task();
    }
    if (step) {
        step();
    }
}

}  // namespace bv3::platform
