// A port that cannot be opened, in the editor: the transfer dialog closes by itself, one
// message names the port and the reason, and the status bar says the transfer did not happen.
#include "editor_test_support.h"
#include "receiver_link.h"
#include "list_comparisons.h"

#include "ui/message_box.h"

#include <QDialog>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

#include <cstdlib>
#include <functional>

namespace bv3::editor::testing {
namespace {

struct PortCase {
    const char* what;
    std::function<void(MainWindow&)> run;
    const char* notDone;
    const char* port;    // in the test's folder
    const char* reason;  // what the message says of it, before the port's path
};

class EditorPortTest : public EditorWindowTest {};

TEST_F(EditorPortTest, APortThatCannotBeOpenedEndsTheTransferWithOneMessage) {
    const auto receive = [](MainWindow& w) { w.receive(); };
    const auto send = [](MainWindow& w) { w.send(); };
    const std::vector<PortCase> cases = {
        {"receive", receive, "Nothing was received", "no-such-port", "No device at "},
        {"send", send, "The list was not sent", "no-such-port", "No device at "},
        {"receive-file", receive, "Nothing was received", "a-plain-file", ""},
    };
    writeText(file("a-plain-file"), "not a serial device");
    ReceiverSettings receiver;
    receiver.modelCode = 4;
    receiver.configVariant = 3;
    receiver.encoder = QString::fromStdString(std::string(BV3_BINARY_DIR) + "/lib/libtqrdll12.so");
    window_->comparisons().answerPreview = [](const QString&, const QString&) { return std::optional<bool>(false); };

    for (const PortCase& c : cases) {
        SCOPED_TRACE(c.what);
        const QString port = path(c.port);
        receiver.port = port;
        window_->settings().setReceiver(receiver);
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
        EXPECT_TRUE(message.contains(c.reason + port)) << message.toStdString();
        const QString status = window_->statusBar()->currentMessage();
        EXPECT_EQ(status, QString(c.notDone) + ": the port " + port + " could not be opened") << status.toStdString();
        if (const char* folder = std::getenv("BV3_EDITOR_PICTURES")) {
            // The message as the window's error box shows it, and the window behind it.
            QMessageBox box(QMessageBox::Critical, c.what, message, QMessageBox::Ok, window_.get());
            box.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
            box.grab().save(QString::fromLocal8Bit(folder) + "/editor-port-" + c.what + ".png");
            window_->grab().save(QString::fromLocal8Bit(folder) + "/editor-port-" + c.what + "-window.png");
        }
    }
}

}  // namespace
}  // namespace bv3::editor::testing
