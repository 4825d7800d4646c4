#pragma once
// A UI thread without a toolkit whose role a worker takes for the length of its call, instead
// of waking another thread and waiting for it. Command-line transfers use it: there every
// received byte is one notification, and in a lock-step exchange a hand-off to a second thread
// and back costs as much as the byte's trip over the line.
//
// One thread at a time holds the role, so calls still run one at a time and in the order
// they take it. The thread that created the object is its owner: it takes the role for its
// own work with turn(), which also runs what was posted (the join of a worker that closed
// its own port from inside its call).

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

#include "platform/ui_thread.h"

namespace bv3::platform {

class InlineUiThread final : public UiThread {
public:
    InlineUiThread() = default;
    // Runs the tasks still queued, on the owner's thread.
    ~InlineUiThread() override;
    InlineUiThread(const InlineUiThread&) = delete;
    InlineUiThread& operator=(const InlineUiThread&) = delete;

    // True on the thread that holds the role now.
    bool isCurrent() const override;
    // Queues `task` for the owner's next turn.
    void post(std::function<void()> task) override;
    // Waits for the role (or `cancel`), then runs fn on the calling thread holding it.
    std::optional<bool> runInRole(const std::function<void()>& fn, std::stop_token cancel) override;

    // The owner's turn: waits up to `timeout` for a posted task, then takes the role and runs
    // the posted tasks and then `step`. An exception from either leaves the role released.
    void turn(std::chrono::milliseconds timeout, const std::function<void()>& step = {});

private:
    // Holds the role for the calling thread until it goes out of scope.
    class Role {
    public:
        explicit Role(InlineUiThread& ui) : ui_(ui) {}
        ~Role();
        Role(const Role&) = delete;
        Role& operator=(const Role&) = delete;

    private:
        InlineUiThread& ui_;
    };
    // Under mutex_, once the role is free.
    void take();

    mutable std::mutex mutex_;
    // Two conditions, so that the owner waiting for a task is not woken by every call that
    // releases the role.
    std::condition_variable queued_;
    std::condition_variable_any released_;
    bool taken_ = false;
    std::thread::id holder_;
    std::deque<std::function<void()>> tasks_;
};

}  // namespace bv3::platform
