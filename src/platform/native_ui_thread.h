#pragma once
// The UI thread of builds without a toolkit: the thread that creates a NativeUiThread. Posted
// tasks reach it through a hidden window of its own and run wherever that thread dispatches
// its messages: in a modal dialog's loop of the library or in the host's own message loop.

#include "platform/ui_thread.h"

#include <functional>
#include <memory>

namespace bv3::platform {

class NativeUiThread final : public UiThread {
public:
    // Makes the calling thread the UI thread for the object's lifetime. Throws
    // std::runtime_error when the platform cannot create the hidden window.
    NativeUiThread();
    ~NativeUiThread() override;
    NativeUiThread(const NativeUiThread&) = delete;
    NativeUiThread& operator=(const NativeUiThread&) = delete;

    bool isCurrent() const override;
    void post(std::function<void()> task) override;

private:
    struct Window;
    std::unique_ptr<Window> window_;
};

// Installs a NativeUiThread of the calling thread as the process's UI thread for the lifetime
// of the object, and the one installed before it again afterwards.
class ScopedNativeUiThread {
public:
    ScopedNativeUiThread() : previous_(setUiThread(&ui_)) {}
    ~ScopedNativeUiThread() { setUiThread(previous_); }
    ScopedNativeUiThread(const ScopedNativeUiThread&) = delete;
    ScopedNativeUiThread& operator=(const ScopedNativeUiThread&) = delete;
    NativeUiThread& ui() { return ui_; }

private:
    NativeUiThread ui_;
    UiThread* previous_;
};

}  // namespace bv3::platform
