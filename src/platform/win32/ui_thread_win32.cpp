// The hand-off to the UI thread on Windows: a message-only window of the UI thread receives
// one message per posted task, so the tasks run in whatever message loop that thread is in,
// one at a time, in the order they were posted.
#include "platform/native_ui_thread.h"
#include "platform/win32/window_class.h"
#include "platform/win32/windows_api.h"

#include <deque>
#include <mutex>
#include <stdexcept>
#include <string>

namespace bv3::platform {

namespace {

constexpr char uiThreadClassName[] = "BV3UiThread";
constexpr UINT taskPosted = WM_APP + 1;

const win32::WindowClass& uiThreadClass(WNDPROC procedure) {
    static const win32::WindowClass registered(uiThreadClassName, procedure, {}, "the UI thread's hand-off");
    return registered;
}

}  // namespace

struct NativeUiThread::Window {
    DWORD owner = GetCurrentThreadId();
    HWND handle = nullptr;
    std::mutex mutex;
    std::deque<std::function<void()>> tasks;

    // Runs the oldest queued task. Each message runs one task, so a task that opens a nested
    // message loop (a message box) lets the others run inside it, as the host's loop would.
    void runOne() {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex);
            if (tasks.empty()) {
                return;
            }
            task = std::move(tasks.front());
            tasks.pop_front();
        }
        // A task must not unwind through the window procedure, which belongs to the system;
        // the synchronous call hands its own failures back to the worker that waits for it.
        try {
            task();
        } catch (...) {
        }
    }

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        } else if (message == taskPosted) {
            if (auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
                self->runOne();
            }
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

NativeUiThread::NativeUiThread() : window_(std::make_unique<Window>()) {
    const win32::WindowClass& windowClass = uiThreadClass(&Window::procedure);
    window_->handle = CreateWindowExA(0, windowClass.name(), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      win32::ownModule(), window_.get());
    if (window_->handle == nullptr) {
        throw std::runtime_error("cannot create the UI thread's hidden window (error " +
                                 std::to_string(GetLastError()) + ")");
    }
}

NativeUiThread::~NativeUiThread() {
    // Messages still queued for the window go with it; their tasks are dropped with the queue.
    std::lock_guard lock(window_->mutex);
    DestroyWindow(window_->handle);
    window_->handle = nullptr;
    window_->tasks.clear();
}

bool NativeUiThread::isCurrent() const {
    return GetCurrentThreadId() == window_->owner;
}

void NativeUiThread::post(std::function<void()> task) {
    // Queued and posted under the lock that the destructor takes, so a post never reaches a
    // window that is being destroyed.
    std::lock_guard lock(window_->mutex);
    if (window_->handle == nullptr) {
        throw std::logic_error("the UI thread has ended");
    }
    window_->tasks.push_back(std::move(task));
    if (PostMessageA(window_->handle, taskPosted, 0, 0) == FALSE) {
        window_->tasks.pop_back();
        throw std::runtime_error("cannot hand a task to the UI thread (error " + std::to_string(GetLastError()) + ")");
    }
}

}  // namespace bv3::platform
