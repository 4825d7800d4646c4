#pragma once
// The hand-off from a worker thread to the user-interface thread. Serial event handlers must
// run on the UI thread, one at a time, while the worker that noticed the event waits for them.
// The toolkit backend (qt/) and a plain pumped queue (manual_ui_thread.h) implement UiThread;
// runOnUiThread() builds the synchronous, cancellable call on top of it.

#include <functional>
#include <optional>
#include <stop_token>

namespace bv3::platform {

class UiThread {
public:
    virtual ~UiThread() = default;
    // True when the calling thread is the UI thread.
    virtual bool isCurrent() const = 0;
    // Queues `task` to run on the UI thread soon; returns at once. Safe from any thread.
    virtual void post(std::function<void()> task) = 0;
    // Runs `fn` on the calling thread in the UI thread's role, where a worker may take that
    // role for the length of a call (inline_ui_thread.h). std::nullopt where it may not (a
    // toolkit's thread); else true once fn has run, or false, without running it, when
    // `cancel` was requested before the role could be taken.
    virtual std::optional<bool> runInRole(const std::function<void()>&, std::stop_token) { return std::nullopt; }
};

// Installs the UI thread that uiThread() returns (not owned; nullptr uninstalls) and returns
// the one installed before.
UiThread* setUiThread(UiThread* ui);

// The installed UI thread. Throws std::logic_error when none is installed: a component that
// must deliver events to the UI thread cannot work without one.
UiThread& uiThread();

// Runs `fn` on `ui` and returns after it has returned; runs it directly when called on the UI
// thread, or when the caller may take the UI thread's role (UiThread::runInRole). Returns
// false, without running fn, when `cancel` is requested before the UI thread started it; once
// fn has started, waits for its end whatever `cancel` says. An exception thrown by fn is
// rethrown here.
//
// `afterwards`, when given, runs on the UI thread once fn has returned and the caller has been
// released, before the UI thread goes back to its loop. It is how a worker let go from inside
// its own call is joined: the worker cannot end while fn runs, and it must be joined before
// whoever started it returns. When fn ran on the caller's own thread in the UI thread's role,
// afterwards runs there too, right after fn: a worker cannot join itself, so it must then hand
// its join to someone else.
bool runOnUiThread(UiThread& ui, const std::function<void()>& fn, std::stop_token cancel = {},
                   std::function<void()> afterwards = {});

}  // namespace bv3::platform
