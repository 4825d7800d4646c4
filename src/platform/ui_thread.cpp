#include "platform/ui_thread.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace bv3::platform {

namespace {

std::atomic<UiThread*> installed{nullptr};

// One synchronous call, shared by the waiting worker and the task queued to the UI thread.
// The task may outlive the worker's wait (a cancelled call stays in the queue until the UI
// thread gets to it), so both hold it.
struct CallState {
    enum class Phase { pending, running, done, cancelled };
    std::mutex mutex;
    std::condition_variable_any changed;
    Phase phase = Phase::pending;
    std::function<void()> fn;
    std::exception_ptr error;
};

}  // namespace

UiThread* setUiThread(UiThread* ui) {
    return installed.exchange(ui);
}

UiThread& uiThread() {
    UiThread* ui = installed.load();
    if (ui == nullptr) {
        throw std::logic_error("no UI thread is installed for serial event delivery");
    }
    return *ui;
}

bool runOnUiThread(UiThread& ui, const std::function<void()>& fn, std::stop_token cancel,
                   std::function<void()> afterwards) {
    if (ui.isCurrent()) {
        fn();
        if (afterwards) {
            afterwards();
        }
        return true;
    }
    std::exception_ptr inRoleError;
    const std::optional<bool> ranInRole = ui.runInRole(
        [&] {
            try {
                fn();
            } catch (...) {
                inRoleError = std::current_exception();
            }
            if (afterwards) {
                afterwards();
            }
        },
        cancel);
    if (ranInRole) {
        if (inRoleError) {
            std::rethrow_exception(inRoleError);
        }
        return *ranInRole;
    }
    auto state = std::make_shared<CallState>();
    state->fn = fn;
    ui.post([state, afterwards = std::move(afterwards)] {
        {
            std::lock_guard lock(state->mutex);
            if (state->phase == CallState::Phase::cancelled) {
                return;
            }
            state->phase = CallState::Phase::running;
        }
        try {
            state->fn();
        } catch (...) {
            state->error = std::current_exception();
        }
        {
            std::lock_guard lock(state->mutex);
            state->phase = CallState::Phase::done;
        }
        state->changed.notify_all();
        if (afterwards) {
            afterwards();
        }
    });

    std::unique_lock lock(state->mutex);
    state->changed.wait(lock, cancel, [&] { return state->phase == CallState::Phase::done; });
    if (state->phase == CallState::Phase::pending) {
        // Cancelled before the UI thread reached it: the queued task will find it so.
        state->phase = CallState::Phase::cancelled;
        return false;
    }
    // A call that has started is never abandoned half-way.
    state->changed.wait(lock, [&] { return state->phase == CallState::Phase::done; });
    if (state->error) {
        std::rethrow_exception(state->error);
    }
    return true;
}

}  // namespace bv3::platform
