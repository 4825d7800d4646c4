#include "ui/qt/application.h"

#include <QApplication>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace bv3::ui {

namespace {
// QApplication keeps references to argc and argv for its whole life.
int applicationArgc = 1;
char applicationName[] = "BV3Dll";
char* applicationArgv[] = {applicationName, nullptr};

// Created by us only when the host has none. It is deliberately never destroyed: a host
// that unloads the library at process exit would otherwise tear Qt down from a static
// destructor after its own event loop is gone.
QApplication* ownApplication = nullptr;
}  // namespace

QApplication& application() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return *existing;
    }
    if (ownApplication == nullptr) {
        ownApplication = new QApplication(applicationArgc, applicationArgv);  // NOLINT: see above
    }
    return *ownApplication;
}

bool displayAvailable() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr) {
        const std::string_view name(platform);
        if (name.starts_with("offscreen") || name.starts_with("minimal")) {
            return false;
        }
    }
    return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

}  // namespace bv3::ui
