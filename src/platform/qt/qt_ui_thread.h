#pragma once
// The Qt UI thread: the thread of the QCoreApplication. Tasks are queued to the application
// object and run by its event loop (also inside modal dialogs' loops).

#include "platform/ui_thread.h"

namespace bv3::platform {

class QtUiThread : public UiThread {
public:
    bool isCurrent() const override;
    void post(std::function<void()> task) override;
};

// Installs the Qt UI thread as the process's UI thread (idempotent). Call it once the
// QApplication exists, before opening a serial port.
void useQtUiThread();

}  // namespace bv3::platform
