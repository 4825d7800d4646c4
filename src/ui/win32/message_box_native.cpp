// The default message box of a build without a toolkit: the platform's own box.
#include "platform/native_message_box.h"
#include "ui/default_message_box.h"

namespace bv3::ui {

namespace {

platform::NativeMessageIcon toNativeIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Warning:
            return platform::NativeMessageIcon::Warning;
        case MessageIcon::Information:
            return platform::NativeMessageIcon::Information;
        case MessageIcon::Error:
            break;
    }
    return platform::NativeMessageIcon::Error;
}

class NativeMessageBoxService final : public MessageBoxService {
public:
    void show(const MessageBoxRequest& request) override {
        platform::showNativeMessageBox({.caption = request.caption,
                                        .text = request.text,
                                        .icon = toNativeIcon(request.icon),
                                        .buttons = request.buttons});
    }
};

}  // namespace

MessageBoxService& defaultMessageBoxService() {
    static NativeMessageBoxService service;
    return service;
}

}  // namespace bv3::ui
