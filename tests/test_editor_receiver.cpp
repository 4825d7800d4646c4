// The editor against the receiver simulator on a pseudo-terminal: receive the list, edit it,
// send it (the simulator applies the image to its memory), receive again and find the edit.
#include "editor_test_support.h"
#include "receiver_link.h"
#include "sim_process.h"

#include "edit/service_operations.h"
#include "list_comparisons.h"

#include "transfer/qt/download_dialog.h"
#include "ui/message_box.h"

#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <memory>

namespace bv3::editor::testing {
namespace {

using namespace std::chrono_literals;
using bv3::testing::binary;
using bv3::testing::ChildProcess;
using bv3::testing::Simulator;

class EditorReceiverTest : public EditorWindowTest {
protected:
    void useSimulator(const std::string& device) {
        ReceiverSettings receiver;
        receiver.port = QString::fromStdString(device);
        receiver.baud = 115200;
        receiver.modelCode = 4;
        receiver.configVariant = 3;
        receiver.headerId = 0x12345678;
        receiver.encoder = QString::fromStdString(std::string(BV3_BINARY_DIR) + "/lib/libtqrdll12.so");
        window_->settings().setReceiver(receiver);
    }

    // A simulated receiver holding the sample list (model 4, variant 3) for three sessions,
    // the window's settings pointing at it, and the window having received its list.
    void receiveFromSimulator() {
        ChildProcess make({binary("bv3"), "make-upload", std::string(BV3_SOURCE_DIR) + "/samples/channels.qnf",
                           file("start.raw").string(), "--variant", "3", "--model", "4"},
                          file("make").string());
        ASSERT_EQ(make.wait(60s), 0) << make.standardError();
        simulator_ = std::make_unique<Simulator>(
            file("sim").string(), std::vector<std::string>{"--memory", file("start.raw").string(), "--apply",
                                                           "--sessions", "3", "--wait", "120"});
        useSimulator(simulator_->device());

        window_->receive();
        ASSERT_NE(window_->document(), nullptr) << script_->errors.join("\n").toStdString() << simulator_->log();
    }

    // The simulator ends before the window and the test's folder go.
    void TearDown() override {
        simulator_.reset();
        EditorWindowTest::TearDown();
    }

    std::unique_ptr<Simulator> simulator_;
};

TEST_F(EditorReceiverTest, ReceiveEditSendAndReceiveAgainGivesTheEditedList) {
    ASSERT_NO_FATAL_FAILURE(receiveFromSimulator());
    Simulator& sim = *simulator_;
    EXPECT_EQ(docText(), sampleText());

    window_->showTab(EditorTab::Video);
    window_->selectServices(ServiceKind::Video, {2, 5});
    window_->action("moveTop")->trigger();
    window_->selectServices(ServiceKind::Audio, {});
    window_->showTab(EditorTab::Audio);
    window_->selectServices(ServiceKind::Audio, {3});
    window_->action("delete")->trigger();
    const std::string edited = docText();
    ASSERT_NE(edited, sampleText());

    QString preview;
    window_->comparisons().answerPreview = [&](const QString& headline, const QString&) {
        preview = headline;
        return std::optional<bool>(false);  // the third session is the receive below
    };
    window_->send();
    ASSERT_TRUE(script_->errors.isEmpty()) << script_->errors.join("\n").toStdString() << sim.log();
    EXPECT_TRUE(preview.contains("against the list received at")) << preview.toStdString();

    script_->unsaved = {UnsavedChoice::Discard};
    window_->receive();
    EXPECT_EQ(script_->unsavedQuestions, 1) << "receiving over unsaved changes asks first";
    EXPECT_EQ(docText(), edited);
    EXPECT_EQ(sim.wait(30s), 0) << sim.log();
}

// The send preview tells what the send changes against the list received before; the
// verification receives again and finds the list sent. Both received lists are kept.
TEST_F(EditorReceiverTest, SendShowsWhatItChangesAndVerifies) {
    ASSERT_NO_FATAL_FAILURE(receiveFromSimulator());
    Simulator& sim = *simulator_;
    edit::renameService(const_cast<edit::ChannelList&>(*window_->document()), 1, "Lumen Zwei");

    QString headline;
    QString report;
    window_->comparisons().answerPreview = [&](const QString& h, const QString& r) {
        headline = h;
        report = r;
        return std::optional<bool>(true);
    };
    QStringList shown;
    window_->comparisons().showComparison = [&](const QString&, const QString& h, const QString& r) { shown << h << r; };
    window_->send();
    EXPECT_TRUE(headline.contains("1 service renamed")) << headline.toStdString();
    EXPECT_TRUE(report.contains("renamed \"Lumen Two\" to \"Lumen Zwei\" (video 2)")) << report.toStdString();
    ASSERT_TRUE(script_->errors.isEmpty()) << script_->errors.join("\n").toStdString() << sim.log();
    EXPECT_TRUE(shown.isEmpty()) << shown.join("\n").toStdString();
    EXPECT_TRUE(script_->informations.contains("The receiver holds exactly this list."))
        << script_->informations.join("\n").toStdString();
    EXPECT_EQ(window_->comparisons().backups().entries().size(), 2u);
    EXPECT_EQ(sim.wait(30s), 0) << sim.log();
}

// The receiver's line goes away in the middle of a send (the adapter pulled out). The editor
// says so naming the line, lets the port go, keeps the list as it was and stays usable; the
// next send, once a line is there again, goes through.
TEST_F(EditorReceiverTest, ALineLostDuringASendIsReportedAndTheNextSendWorks) {
    ui::ScopedMessageBoxRecorder boxes;
    openSample();
    edit::renameService(const_cast<edit::ChannelList&>(*window_->document()), 1, "Lumen Zwei");
    const std::string edited = docText();
    window_->comparisons().answerPreview = [](const QString&, const QString&) { return std::optional<bool>(false); };
    script_->confirmations.assign(2, true);  // the sample's warnings, once per send

    Simulator gone(file("sim").string(), {"--apply", "--request-size", "256", "--hang-up-after", "200", "--wait", "120"});
    useSimulator(gone.device());
    bool released = false;
    window_->receiverLink().beforeDialog = [&](QWidget& dialog) {
        auto& download = static_cast<transfer::TfrmDownload&>(dialog);
        auto* poll = new QTimer(&dialog);
        QObject::connect(poll, &QTimer::timeout, &dialog, [&download, &released, poll, device = gone.device()] {
            if (download.session().failed()) {
                poll->stop();
                released = !download.Comm1().IsOpen() && !bv3::testing::holdsDeviceOpen(device);
                download.BitBtn1()->click();
            }
        });
        poll->start(5);
    };
    window_->send();
    EXPECT_TRUE(released) << gone.log() << window_->statusBar()->currentMessage().toStdString();
    ASSERT_EQ(script_->errors.size(), 1) << script_->errors.join("\n").toStdString();
    EXPECT_TRUE(script_->errors[0].contains(QString::fromStdString(gone.device() + ": the device went away")))
        << script_->errors[0].toStdString() << gone.log();
    // The editor's message is the only one: the dialog showed no box of its own.
    EXPECT_TRUE(boxes.shown().empty()) << boxes.shown().front().text;
    EXPECT_TRUE(window_->statusBar()->currentMessage().startsWith("The list was not sent"))
        << window_->statusBar()->currentMessage().toStdString();
    EXPECT_EQ(docText(), edited);
    EXPECT_TRUE(window_->document()->isDirty());
    EXPECT_TRUE(window_->action("undo")->isEnabled());

    // The adapter is back: a new line, and the same list goes over it.
    script_->errors.clear();
    window_->receiverLink().beforeDialog = nullptr;
    Simulator back(file("sim2").string(), {"--apply", "--save", file("sent.qdf").string(), "--wait", "120"});
    useSimulator(back.device());
    window_->send();
    EXPECT_TRUE(script_->errors.isEmpty()) << script_->errors.join("\n").toStdString() << back.log();
    EXPECT_EQ(back.wait(30s), 0) << back.log();
    EXPECT_TRUE(fs::exists(file("sent.qdf")));
}

}  // namespace
}  // namespace bv3::editor::testing
