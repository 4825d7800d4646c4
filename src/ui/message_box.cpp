#include "ui/message_box.h"

#include "ui/default_message_box.h"

namespace bv3::ui {

namespace {

MessageBoxService* currentService = nullptr;

MessageBoxService& current() {
    return currentService != nullptr ? *currentService : defaultMessageBoxService();
}

}  // namespace

MessageBoxService* setMessageBoxService(MessageBoxService* service) {
    MessageBoxService* previous = currentService;
    currentService = service;
    return previous;
}

void showMessageBox(const MessageBoxRequest& request) {
    current().show(request);
}

void showErrorBox(const std::string& text) {
    showMessageBox(errorBoxRequest(text));
}

MessageBoxService& processMessageBoxService() {
    class Forwarder final : public MessageBoxService {
    public:
        void show(const MessageBoxRequest& request) override { showMessageBox(request); }
    };
    static Forwarder forwarder;
    return forwarder;
}

}  // namespace bv3::ui
