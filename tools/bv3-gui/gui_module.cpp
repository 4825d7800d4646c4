// libbv3-gui.so: bv3's windowed part, the about box and the transfer dialogs. bv3 loads it
// only for `bv3 about` and `--gui`, so that every other command runs without the toolkit.
#include "bv3-gui/gui_module.h"

#include "platform/library_entry.h"
#include "serial/comm_types.h"
#include "transfer/qt/download_dialog.h"
#include "transfer/qt/upload_dialog.h"
#include "transfer/transfer_texts.h"
#include "ui/qt/about_box.h"
#include "ui/qt/application.h"

#include <cstring>
#include <exception>
#include <string>

namespace {

class GuiFailure : public std::exception {
public:
    explicit GuiFailure(std::string text) : text_(std::move(text)) {}
    const char* what() const noexcept override { return text_.c_str(); }

private:
    std::string text_;
};

void copyMessage(const std::string& text, char* message, std::size_t size) {
    if (message == nullptr || size == 0) {
        return;
    }
    const std::size_t length = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(message, text.data(), length);
    message[length] = '\0';
}

// Runs body; any exception becomes the failure's text, so none leaves the module.
template <class Body>
int guarded(Body body, char* message, std::size_t size) noexcept {
    try {
        body();
        return bv3GuiOk;
    } catch (const std::exception& failure) {
        copyMessage(failure.what(), message, size);
    } catch (...) {
        copyMessage("unexpected failure in the windowed part", message, size);
    }
    return bv3GuiFailed;
}

template <class Session>
void check(const Session& session) {
    if (const auto& failure = session.failure()) {
        throw GuiFailure(bv3::transfer::failureText(*failure));
    }
    if (!session.completed()) {
        throw GuiFailure("cancelled");
    }
}

template <class Dialog>
void runDialog(const Bv3GuiTransfer& request) {
    Dialog dialog;
    dialog.SetupDevice(request.port, static_cast<bv3::serial::TBaudrate>(request.baudRate), request.file);
    if (request.screenshot != nullptr && request.screenshot[0] != '\0') {
        dialog.setScreenshot(request.screenshot, request.screenshotPercent);
    }
    dialog.exec();
    check(dialog.session());
}

}  // namespace

extern "C" BV3_LIBRARY_EXPORT int bv3GuiVersion() {
    return BV3_GUI_MODULE_VERSION;
}

extern "C" BV3_LIBRARY_EXPORT int bv3GuiRunAbout(const char* screenshot, char* message, std::size_t size) {
    return guarded(
        [screenshot] {
            bv3::ui::application();
            const std::string path = screenshot != nullptr ? screenshot : "";
            bool saved = true;
            bv3::ui::runAboutBox(path, &saved);
            if (!saved) {
                throw GuiFailure("cannot write the screenshot " + path);
            }
        },
        message, size);
}

extern "C" BV3_LIBRARY_EXPORT int bv3GuiRunTransfer(const Bv3GuiTransfer* request, char* message, std::size_t size) {
    return guarded(
        [request] {
            if (request == nullptr || request->file == nullptr || request->port == nullptr) {
                throw GuiFailure("no transfer to run");
            }
            bv3::ui::application();
            if (request->upload != 0) {
                runDialog<bv3::transfer::TfrmUpLoad>(*request);
            } else {
                runDialog<bv3::transfer::TfrmDownload>(*request);
            }
        },
        message, size);
}
