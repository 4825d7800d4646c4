#include "ui/message_box.h"

#include "ui/application.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

namespace bv3::ui {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Warning: return QMessageBox::Warning;
        case MessageIcon::Information: return QMessageBox::Information;
        case MessageIcon::Error: break;
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

DefaultMessageBoxService defaultService;
MessageBoxService* currentService = &defaultService;

}  // namespace

MessageBoxService* setMessageBoxService(MessageBoxService* service) {
    MessageBoxService* previous = currentService;
    currentService = service != nullptr ? service : &defaultService;
    return previous == &defaultService ? nullptr : previous;
}

void showMessageBox(const MessageBoxRequest& request) { currentService->show(request); }

void showErrorBox(const std::string& text) {
    showMessageBox({.caption = "Error", .text = text, .icon = MessageIcon::Error, .buttons = {}});
}

}  // namespace bv3::ui
