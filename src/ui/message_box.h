#pragma once
// The message-box service: every message the library shows to a person goes through here,
// so that a host without a display still sees the text (on stderr) and tests can record it.

#include <string>
#include <vector>

namespace bv3::ui {

enum class MessageIcon { Error, Warning, Information };

struct MessageBoxRequest {
    std::string caption;
    std::string text;
    MessageIcon icon = MessageIcon::Error;
    std::vector<std::string> buttons;  // captions; empty means a single "OK"
};

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // Shows the box and returns once the person has closed it.
    virtual void show(const MessageBoxRequest& request) = 0;
};

// The error box of the conversions and the dialogs: caption "Error", error icon, one "OK"
// button.
inline MessageBoxRequest errorBoxRequest(const std::string& text) {
    return {.caption = "Error", .text = text, .icon = MessageIcon::Error, .buttons = {}};
}

// Replaces the service for the whole process; nullptr restores the default one (a real
// dialog where a display exists, otherwise the text on stderr). Returns the previous one.
MessageBoxService* setMessageBoxService(MessageBoxService* service);

void showMessageBox(const MessageBoxRequest& request);

// Shows errorBoxRequest(text).
void showErrorBox(const std::string& text);

// The process's service as one object to hand to code that takes its boxes' service as a
// parameter: each box goes to whatever service is installed when it is shown.
MessageBoxService& processMessageBoxService();

// A service for tests: remembers every request instead of showing it.
class MessageBoxRecorder final : public MessageBoxService {
public:
    void show(const MessageBoxRequest& request) override { shown.push_back(request); }
    std::vector<MessageBoxRequest> shown;
};

// Installs a recorder for the lifetime of the object.
class ScopedMessageBoxRecorder {
public:
    ScopedMessageBoxRecorder() : previous_(setMessageBoxService(&recorder_)) {}
    ~ScopedMessageBoxRecorder() { setMessageBoxService(previous_); }
    ScopedMessageBoxRecorder(const ScopedMessageBoxRecorder&) = delete;
    ScopedMessageBoxRecorder& operator=(const ScopedMessageBoxRecorder&) = delete;
    const std::vector<MessageBoxRequest>& shown() const { return recorder_.shown; }

private:
    MessageBoxRecorder recorder_;
    MessageBoxService* previous_;
};

}  // namespace bv3::ui
