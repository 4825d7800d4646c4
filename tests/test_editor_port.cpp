// A port that cannot be opened, in the editor: the transfer dialog closes by itself, one
// message names the port and the reason, and the status bar says the transfer did not happen.
#include "editor_test_support.h"
#include "receiver_link.h"
#include "list_comparisons.h"

#include "ui/message_box.h"

#include <QDialog>
#include <QStatusBar>
#include <QTimer>

#include <functional>

namespace bv3::editor::testing {
namespace {

struct PortCase {
    const char* what;
    std::function<void(MainWindow&)> run;
    const char* notDone;
};

class EditorPortTest : public EditorWindowTest {};

TEST_F(EditorPortTest, APortThatCannotBeOpenedEndsTheTransferWithOneMessage) {
    const std::vector<PortCase> cases = {
        {"receive", [](MainWindow& w) { w.receive(); }, "Nothing was received"},
        {"send", [](MainWindow& w) { w.send(); }, "The list was not sent"},
    };
    const QString port = path("no-such-port");
    ReceiverSettings receiver;
    receiver.port = port;
    receiver.modelCode = 4;
    receiver.configVariant = 3;
    receiver.encoder = QString::fromStdString(std::string(BV3_BINARY_DIR) + "/lib/libtqrdll12.so");
    window_->settings().setReceiver(receiver);
    window_->comparisons().answerPreview = [](const QString&, const QString&) { return std::optional<bool>(false); };

    for (const PortCase& c : cases) {
        SCOPED_TRACE(c.what);
        ui::ScopedMessageBoxRecorder boxes;
        script_->errors.clear();
        script_->confirmations.assign(1, true);  // the sample's warnings, before a send
        if (window_->document() == nullptr) {
            openSample();
        }
        // A dialog that stays open would hold the test in its modal loop: after a generous
        // bound it is cancelled, and the test fails instead of hanging.
        bool heldOpen = false;
        window_->receiverLink().beforeDialog = [&heldOpen](QWidget& dialog) {
            QTimer::singleShot(30000, &dialog, [&heldOpen, &dialog] {
                heldOpen = true;
                static_cast<QDialog&>(dialog).reject();
            });
        };
        c.run(*window_);
        EXPECT_FALSE(heldOpen) << "the dialog stayed open";
        EXPECT_TRUE(boxes.shown().empty()) << boxes.shown().front().text;
        ASSERT_EQ(script_->errors.size(), 1) << script_->errors.join("\n").toStdString();
        const QString message = script_->errors[0];
        EXPECT_TRUE(message.startsWith(QString(c.notDone) + ": the port could not be opened.")) << message.toStdString();
        EXPECT_TRUE(message.contains("no device at " + port)) << message.toStdString();
        const QString status = window_->statusBar()->currentMessage();
        EXPECT_EQ(status, QString(c.notDone) + ": the port " + port + " could not be opened") << status.toStdString();
    }
}

}  // namespace
}  // namespace bv3::editor::testing
