// The default message box where Qt is the toolkit: a real QMessageBox where a display
// exists, otherwise the text on stderr, because under the offscreen platform nobody could
// close a modal box.
#include "ui/qt/application.h"
#include "ui/default_message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

namespace bv3::ui {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Error:
            break;
    }
    return QMessageBox::Critical;
}

class DefaultMessageBoxService final : public MessageBoxService {
public:
    void show(const MessageBoxRequest& request) override {
        if (!displayAvailable()) {
            std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
            return;
        }
        application();
        QMessageBox box(toQtIcon(request.icon), QString::fromLocal8Bit(request.caption),
                        QString::fromLocal8Bit(request.text), QMessageBox::NoButton);
        if (request.buttons.empty()) {
            box.addButton(QMessageBox::Ok);
        }
        for (const auto& caption : request.buttons) {
            box.addButton(QString::fromLocal8Bit(caption), QMessageBox::AcceptRole);
        }
        box.exec();
    }
};

}  // namespace

MessageBoxService& defaultMessageBoxService() {
    static DefaultMessageBoxService service;
    return service;
}

}  // namespace bv3::ui
