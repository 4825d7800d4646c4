#include "platform/qt/qt_ui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <stdexcept>

namespace bv3::platform {

bool QtUiThread::isCurrent() const {
    QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

void QtUiThread::post(std::function<void()> task) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        throw std::logic_error("the Qt UI thread needs a QApplication");
    }
    // Queued to the application object, the task runs in whichever event loop the UI thread
    // is in, including a modal dialog's.
    QMetaObject::invokeMethod(app, std::move(task), Qt::QueuedConnection);
}

void useQtUiThread() {
    static QtUiThread qtUiThread;
    setUiThread(&qtUiThread);
}

}  // namespace bv3::platform
