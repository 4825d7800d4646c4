// The transfer dialogs without a receiver: layout, Setup, and how each way of ending treats
// the port and the file.
#include "BV3Dll.h"
#include "platform/manual_ui_thread.h"
#include "serial_test_support.h"
#include "transfer/qt/download_dialog.h"
#include "transfer/qt/upload_dialog.h"
#include "ui/qt/application.h"
#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <pty.h>
#include <unistd.h>
#include <cerrno>
#include <filesystem>
#include <fstream>

namespace bv3::transfer {
namespace {

namespace fs = std::filesystem;
using serial::TBaudrate;

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::application();
        directory_ = fs::temp_directory_path() / ("bv3-dialogs-" + std::to_string(::getpid()));
        fs::create_directories(directory_);
    }
    void TearDown() override { fs::remove_all(directory_); }
    std::string path(const std::string& name) const { return (directory_ / name).string(); }
    static void writeFile(const std::string& file, const std::string& text) { std::ofstream(file) << text; }

    // Runs the dialog's modal loop, doing `act` once the dialog is on screen and its show step
    // (queued as the dialog was shown) has run, however slowly the machine gets there.
    template <class Act>
    static int runModal(QDialog& dialog, Act act) {
        auto* watch = new QTimer(&dialog);
        QObject::connect(watch, &QTimer::timeout, &dialog, [watch, &dialog, act] {
            if (dialog.isVisible()) {
                watch->stop();
                QTimer::singleShot(0, &dialog, act);
            }
        });
        watch->start(1);
        return dialog.exec();
    }

    ui::ScopedMessageBoxRecorder boxes;

private:
    fs::path directory_;
};

// A pseudo-terminal pair held open by the test: a port the dialog can open with no receiver.
class QuietLine {
public:
    QuietLine() {
        char name[256] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        name_ = name;
    }
    ~QuietLine() {
        ::close(master_);
        ::close(slave_);
    }
    QuietLine(const QuietLine&) = delete;
    QuietLine& operator=(const QuietLine&) = delete;
    const std::string& name() const { return name_; }
    void receiverSends(const std::vector<std::uint8_t>& bytes) const {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string name_;
};

TEST_F(DialogTest, UploadDialogLayout) {
    TfrmUpLoad dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("STB to PC"));
    EXPECT_EQ(dialog.size(), QSize(362, 59));
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(dialog.Panel1()->geometry(), QRect(4, 3, 353, 29));
    EXPECT_EQ(dialog.Panel1()->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(dialog.Label1()->pos(), QPoint(3, 3));
    EXPECT_EQ(dialog.Label1()->text(), QStringLiteral("Waiting for Qorda Connection..."));
    EXPECT_EQ(dialog.Label2()->text(), QString());
    EXPECT_EQ(dialog.Label2()->geometry().right() + 1, 347);
    EXPECT_EQ(dialog.Label3()->pos(), QPoint(5, 45));
    EXPECT_EQ(dialog.Label3()->text(), QString());
    EXPECT_EQ(dialog.Progress1()->geometry(), QRect(1, 20, 351, 7));
    EXPECT_EQ(dialog.Progress1()->parentWidget(), dialog.Panel1());
    EXPECT_EQ(dialog.Progress1()->BackColor(), ui::clBlack);
    EXPECT_EQ(dialog.Progress1()->BorderColor(), ui::clBlack);
    EXPECT_EQ(dialog.Progress1()->FromColor(), ui::clBlue);
    EXPECT_EQ(dialog.Progress1()->ToColor(), ui::clAqua);
    EXPECT_EQ(dialog.BitBtn1()->geometry(), QRect(280, 34, 78, 24));
    EXPECT_EQ(dialog.BitBtn1()->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(dialog.Timer1().interval(), 3000);
    EXPECT_FALSE(dialog.Timer1().isActive());
    EXPECT_EQ(dialog.Comm1().DeviceName(), "Com2");
    EXPECT_EQ(dialog.Comm1().BaudRate(), TBaudrate::br9600);
    EXPECT_EQ(dialog.Comm1().FlowControl(), serial::TFlowControl::fcNone);
    EXPECT_TRUE(dialog.Comm1().Options().Empty());
    EXPECT_EQ(dialog.Comm1().MonitorEvents(), serial::TCommEventTypes::All());
    EXPECT_FALSE(dialog.Comm1().IsOpen());
}

TEST_F(DialogTest, DownloadDialogLayoutDiffersOnlyInCaptionSizeAndTheMissingRetryLine) {
    TfrmDownload dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("PC to STB"));
    EXPECT_EQ(dialog.size(), QSize(358, 58));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("Label3")), nullptr);
    EXPECT_EQ(dialog.findChild<QTimer*>(QStringLiteral("Timer1")), nullptr);
    EXPECT_EQ(dialog.Panel1()->geometry(), QRect(4, 3, 353, 29));
    EXPECT_EQ(dialog.BitBtn1()->geometry(), QRect(280, 34, 78, 24));
    EXPECT_EQ(dialog.Progress1()->geometry(), QRect(1, 20, 351, 7));
}

TEST_F(DialogTest, SetupMapsPortAndRateIndexesAndKeepsDefaultsOutOfRange) {
    struct Case {
        std::uint8_t port;
        std::uint8_t baud;
        const char* device;
        TBaudrate rate;
    };
    const Case cases[] = {
        {0, 0, "Com1", TBaudrate::br115200}, {1, 1, "Com2", TBaudrate::br57600}, {2, 2, "Com3", TBaudrate::br38400},
        {3, 3, "Com4", TBaudrate::br19200},  {4, 4, "Com2", TBaudrate::br9600},  {255, 7, "Com2", TBaudrate::br9600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        TfrmUpLoad upload;
        upload.Setup(c.port, c.baud, "x.raw");
        EXPECT_EQ(upload.Comm1().DeviceName(), c.device);
        EXPECT_EQ(upload.Comm1().BaudRate(), c.rate);
        TfrmDownload download;
        download.Setup(c.port, c.baud, "x.qdf");
        EXPECT_EQ(download.Comm1().DeviceName(), c.device);
        EXPECT_EQ(download.Comm1().BaudRate(), c.rate);
    }
}

TEST_F(DialogTest, PortThatCannotOpenIsReportedAndCancelStillDeletesAnEarlierUpload) {
    const std::string target = path("earlier.raw");
    writeFile(target, "an earlier upload");
    TfrmUpLoad dialog;
    dialog.SetupDevice(path("no-such-port"), TBaudrate::br115200, target);
    const int result = runModal(dialog, [&] { dialog.BitBtn1()->click(); });
    EXPECT_EQ(result, 2);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption, "Error");
    EXPECT_EQ(boxes.shown()[0].text.rfind(path("no-such-port") + ": Error accessing Communication port", 0), 0u)
        << "the box does not name the port: " << boxes.shown()[0].text;
    // The port's own error stays readable, for a window that words the failure itself.
    ASSERT_TRUE(dialog.portOpenFailure());
    EXPECT_EQ(dialog.portOpenFailure()->ErrorCode(), ENOENT);
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(DialogTest, UploadEndingsAndTheTargetFile) {
    struct Case {
        const char* name;
        void (*end)(TfrmUpLoad&);
        bool fileKept;
    };
    const Case cases[] = {
        {"Cancel", [](TfrmUpLoad& d) { d.BitBtn1()->click(); }, false},
        {"Escape", [](TfrmUpLoad& d) { d.reject(); }, false},
        {"close box", [](TfrmUpLoad& d) { d.QDialog::close(); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QuietLine line;
        const std::string target = path("upload.raw");
        writeFile(target, "an earlier upload");
        TfrmUpLoad dialog;
        dialog.SetupDevice(line.name(), TBaudrate::br115200, target);
        bool wasOpen = false;
        const int result = runModal(dialog, [&] {
            wasOpen = dialog.Comm1().IsOpen();
            c.end(dialog);
        });
        EXPECT_EQ(result, 2);
        EXPECT_TRUE(wasOpen);
        EXPECT_EQ(fs::exists(target), c.fileKept);
        EXPECT_TRUE(boxes.shown().empty());
    }
}

TEST_F(DialogTest, DownloadEveryEndingReleasesThePortAndLeavesTheFileAsItWas) {
    struct Case {
        const char* name;
        void (*end)(TfrmDownload&);
    };
    const Case cases[] = {
        {"Cancel", [](TfrmDownload& d) { d.BitBtn1()->click(); }},
        {"Escape", [](TfrmDownload& d) { d.reject(); }},
        {"close box", [](TfrmDownload& d) { d.QDialog::close(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QuietLine line;
        const std::string source = path("image.qdf");
        writeFile(source, "image bytes");
        fs::permissions(source, fs::perms::owner_read | fs::perms::group_read);
        TfrmDownload dialog;
        dialog.SetupDevice(line.name(), TBaudrate::br115200, source);
        bool wasOpen = false;
        const int result = runModal(dialog, [&] {
            wasOpen = dialog.Comm1().IsOpen();
            c.end(dialog);
        });
        EXPECT_EQ(result, 2);
        EXPECT_TRUE(wasOpen);
        EXPECT_FALSE(dialog.Comm1().IsOpen());
        EXPECT_EQ(fs::status(source).permissions(), fs::perms::owner_read | fs::perms::group_read);
        EXPECT_TRUE(boxes.shown().empty());
        fs::permissions(source, fs::perms::owner_all);
        fs::remove(source);
    }
}

TEST_F(DialogTest, DownloadOfAMissingFileIsReported) {
    QuietLine line;
    TfrmDownload dialog;
    dialog.SetupDevice(line.name(), TBaudrate::br115200, path("missing.qdf"));
    EXPECT_EQ(runModal(dialog, [&] { dialog.BitBtn1()->click(); }), 2);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "Cannot open " + path("missing.qdf") + ": No such file or directory");
}

TEST_F(DialogTest, AboutBoxExportReturnsTheCancelResult) {
    // Closes the box as soon as it is up.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            box->close();
        }
    });
    watch.start(1);
    EXPECT_EQ(VYRAbout(), 2);
}

}  // namespace
}  // namespace bv3::transfer
