// The transfer dialogs' controllers and the sessions' port binding without any window or
// toolkit: a fake view records what the form would show, a recorder the error boxes, a
// pseudo-terminal plays the receiver's end of the line, and the port's notifications run when
// the test pumps its UI thread.
#include "platform/manual_ui_thread.h"
#include "serial_test_support.h"
#include "transfer/download_dialog_controller.h"
#include "transfer/port_session.h"
#include "transfer/upload_dialog_controller.h"
#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace bv3::transfer {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using serial::TBaudrate;

constexpr std::uint8_t STX = 0x02;
constexpr std::uint8_t ETX = 0x03;
constexpr std::uint8_t ACK = 0x06;

class FakeView final : public TransferDialogView {
public:
    void showLine(StatusLine line, const std::string& text) override { lines_[line] = text; }
    void showProgress(int percent) override { progress.push_back(percent); }
    void closeDialog() override { ++closes; }
    void setTimer1(bool running) override { timer1 = running; }

    std::string line(StatusLine which) const {
        const auto found = lines_.find(which);
        return found == lines_.end() ? std::string() : found->second;
    }

    std::vector<int> progress;
    int closes = 0;
    bool timer1 = false;

private:
    std::map<StatusLine, std::string> lines_;
};

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousUi_ = platform::setUiThread(&ui_);
        directory_ = fs::temp_directory_path() / ("bv3-controllers-" + std::to_string(::getpid()));
        fs::create_directories(directory_);
    }
    void TearDown() override {
        platform::setUiThread(previousUi_);
        fs::remove_all(directory_);
    }
    std::string path(const std::string& name) const { return (directory_ / name).string(); }
    static void writeFile(const std::string& file, const std::string& text) { std::ofstream(file) << text; }

    // The receiver sends `bytes`; returns the PC's answers once `replies` bytes have come,
    // running the port's notifications meanwhile (generously bounded for a loaded machine).
    Bytes exchange(const Bytes& bytes, std::size_t replies) {
        line_.send(bytes);
        Bytes got;
        const bool came = serial::testing::pumpUntil(
            [&] {
                ui_.pump(std::chrono::milliseconds(5));
                pollfd p{line_.master(), POLLIN, 0};
                if (::poll(&p, 1, 0) > 0) {
                    std::uint8_t buffer[256];
                    const ssize_t n = ::read(line_.master(), buffer, sizeof buffer);
                    if (n > 0) {
                        got.insert(got.end(), buffer, buffer + n);
                    }
                }
            },
            [&] { return got.size() >= replies; }, std::chrono::seconds(20));
        EXPECT_TRUE(came) << "only " << got.size() << " of " << replies << " answers came";
        return got;
    }

    // Runs the port's notifications until `done` holds.
    bool pumpUntil(const std::function<bool()>& done) {
        return serial::testing::pumpUntil([&] { ui_.pump(std::chrono::milliseconds(5)); }, done,
                                          std::chrono::seconds(20));
    }

    serial::testing::PtyPair line_;
    FakeView view;
    ui::MessageBoxRecorder boxes;  // the controllers' injected box service

private:
    platform::ManualUiThread ui_;
    platform::UiThread* previousUi_ = nullptr;
    fs::path directory_;
};

TEST_F(ControllerTest, UploadEndings) {
    struct Case {
        const char* name;
        void (*end)(UploadDialogController&);
        bool targetKept;
    };
    const Case cases[] = {
        {"Cancel", [](UploadDialogController& c) { c.BitBtn1Click(); }, false},
        {"close box", [](UploadDialogController& c) { c.CloseBoxClicked(); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string target = path("upload.raw");
        writeFile(target, "an earlier upload");
        FakeView shown;
        UploadDialogController controller(shown, boxes);
        controller.SetupDevice(line_.path(), TBaudrate::br115200, target);
        controller.Shown();
        EXPECT_TRUE(controller.Comm1().IsOpen());
        shown.timer1 = true;
        c.end(controller);
        EXPECT_EQ(shown.closes, 1);
        EXPECT_EQ(fs::exists(target), c.targetKept);
        if (c.targetKept) {
            EXPECT_FALSE(shown.timer1) << "the close box leaves the watchdog running";
        }
        EXPECT_TRUE(boxes.shown.empty());
    }
}

TEST_F(ControllerTest, DownloadEveryEndingReleasesThePortAndKeepsTheFile) {
    struct Case {
        const char* name;
        void (*end)(DownloadDialogController&);
    };
    const Case cases[] = {
        {"Cancel", [](DownloadDialogController& c) { c.BitBtn1Click(); }},
        {"close box", [](DownloadDialogController& c) { c.CloseBoxClicked(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = path("image.qdf");
        writeFile(source, "image bytes");
        FakeView shown;
        DownloadDialogController controller(shown, boxes);
        controller.SetupDevice(line_.path(), TBaudrate::br115200, source);
        controller.Shown();
        EXPECT_TRUE(controller.Comm1().IsOpen());
        c.end(controller);
        EXPECT_EQ(shown.closes, 1);
        EXPECT_FALSE(controller.Comm1().IsOpen());
        EXPECT_TRUE(fs::exists(source));
        EXPECT_TRUE(boxes.shown.empty());
    }
}

TEST_F(ControllerTest, APortThatCannotOpenIsReportedByNameAndTheDialogStaysOpen) {
    const std::string port = path("no-such-port");
    const std::string target = path("earlier.raw");
    writeFile(target, "an earlier upload");
    {
        UploadDialogController controller(view, boxes);
        controller.SetupDevice(port, TBaudrate::br115200, target);
        controller.Shown();
        EXPECT_FALSE(controller.Comm1().IsOpen());
        EXPECT_EQ(view.closes, 0);
        // Cancel still deletes what an earlier upload left.
        controller.BitBtn1Click();
        EXPECT_FALSE(fs::exists(target));
    }
    {
        DownloadDialogController controller(view, boxes);
        controller.SetupDevice(port, TBaudrate::br115200, path("image.qdf"));
        controller.Shown();
        EXPECT_FALSE(controller.Comm1().IsOpen());
    }
    ASSERT_EQ(boxes.shown.size(), 2u);
    for (const auto& box : boxes.shown) {
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.text.rfind(port + ": Error accessing Communication port", 0), 0u) << box.text;
    }
}

TEST_F(ControllerTest, SetupTakesTheHostsIndexes) {
    UploadDialogController controller(view, boxes);
    controller.Setup(2, 1, "x.raw");
    EXPECT_EQ(controller.Comm1().DeviceName(), "Com3");
    EXPECT_EQ(controller.Comm1().BaudRate(), TBaudrate::br57600);
    EXPECT_EQ(controller.session().filePath(), "x.raw");
}

TEST_F(ControllerTest, UploadShowsItsStagesAndTheWatchdogsRetryLine) {
    UploadDialogController controller(view, boxes);
    controller.SetupDevice(line_.path(), TBaudrate::br115200, path("upload.raw"));
    controller.Shown();
    ASSERT_TRUE(controller.Comm1().IsOpen());

    EXPECT_EQ(exchange({STX, ETX}, 3), (Bytes{ACK, ACK, STX}));
    EXPECT_EQ(view.line(StatusLine::Label1), "Qorda STB Connection...");
    EXPECT_TRUE(view.timer1) << "bytes that arrive restart the watchdog";

    // Silence before any read request only reports.
    controller.Timer1Timer();
    EXPECT_EQ(view.line(StatusLine::Label3), "Serial Error : Retry [1] at 0");

    EXPECT_EQ(exchange(Bytes(6, ACK), 6), (Bytes{0x44, 0x00, 0x06, 0x20, 0x00, ETX}));
    EXPECT_EQ(view.line(StatusLine::Label1), "Transferring and Receiving STB EEPROM data...");
    EXPECT_EQ(view.line(StatusLine::Label2), "[0/98]");
    EXPECT_EQ(exchange(Bytes(9, ACK), 9), (Bytes{STX, 0x42, ETX, 0x20, 0x00, 0x00, 0x00, 0x00, ETX}));
    EXPECT_EQ(exchange({STX, 0x11, 0x22}, 3), (Bytes{ACK, ACK, ACK}));
    ASSERT_FALSE(view.progress.empty());
    EXPECT_EQ(view.progress.back(), 0);

    // Silence inside the EEPROM block asks for it again from its start.
    controller.Timer1Timer();
    EXPECT_EQ(view.line(StatusLine::Label3), "Serial Error : Retry [2] at 0");
    EXPECT_FALSE(view.timer1);
    EXPECT_EQ(exchange({}, 1), (Bytes{STX}));
    EXPECT_EQ(view.closes, 0);
}

TEST_F(ControllerTest, DownloadServesRequestsWithProgressAndClosesAtTheEndRequest) {
    const std::string source = path("image.bin");
    std::string content(128, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 3);
    }
    writeFile(source, content);
    DownloadDialogController controller(view, boxes);
    controller.SetupDevice(line_.path(), TBaudrate::br115200, source);
    controller.Shown();
    ASSERT_TRUE(controller.Comm1().IsOpen());

    EXPECT_EQ(exchange({STX, ETX}, 3), (Bytes{ACK, ACK, STX}));
    EXPECT_EQ(exchange({ACK, ACK}, 2), (Bytes{0x41, ETX}));
    EXPECT_EQ(view.line(StatusLine::Label1), "Transferring and Receiving STB flash data...");

    struct Request {
        std::uint8_t address;
        int progress;
        const char* counter;
    };
    for (const Request r : {Request{0x00, 0, "[0/128]"}, Request{0x40, 50, "[64/128]"}}) {
        SCOPED_TRACE(r.counter);
        Bytes answer = exchange({STX, 0x44, 0x00, 0x40, 0x00, 0x00, r.address, 0x00}, 9);
        EXPECT_EQ(answer, (Bytes{ACK, ACK, ACK, ACK, ACK, ACK, ACK, ACK, STX}));
        const Bytes chunk = exchange({ACK}, 64);
        EXPECT_EQ(chunk, Bytes(content.begin() + r.address, content.begin() + r.address + 64));
        EXPECT_EQ(view.progress.back(), r.progress);
        EXPECT_EQ(view.line(StatusLine::Label2), r.counter);
        EXPECT_EQ(exchange({ACK}, 1), (Bytes{ETX}));
        line_.send({ACK});
    }
    EXPECT_EQ(exchange({STX, 0x43, 0x00}, 3), (Bytes{ACK, ACK, ACK}));
    ASSERT_TRUE(pumpUntil([&] { return view.closes == 1; }));
    EXPECT_TRUE(controller.session().completed());
    EXPECT_FALSE(controller.Comm1().IsOpen());
    EXPECT_TRUE(boxes.shown.empty());
}

// A device that goes away reaches the session as a typed line error (a device failure): the
// transfer ends with the device named, the port released and the target left alone.
TEST_F(ControllerTest, AnUploadWhoseDeviceGoesAwayEndsWithTheDeviceNamed) {
    const std::string target = path("earlier.raw");
    writeFile(target, "an earlier upload");
    UploadDialogController controller(view, boxes);
    controller.SetupDevice(line_.path(), TBaudrate::br115200, target);
    controller.Shown();
    ASSERT_TRUE(controller.Comm1().IsOpen());
    EXPECT_EQ(exchange({STX, ETX}, 3), (Bytes{ACK, ACK, STX}));
    line_.closeMaster();
    ASSERT_TRUE(pumpUntil([&] { return controller.session().failed(); }));
    const TransferFailure& failure = *controller.session().failure();
    EXPECT_EQ(failure.kind, TransferFailure::Kind::DeviceGone);
    EXPECT_EQ(failure.device, line_.path());
    EXPECT_TRUE(failure.targetUntouched);
    EXPECT_FALSE(controller.Comm1().IsOpen());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Error");
    std::ifstream kept(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "an earlier upload");
}

// A session with no protocol of its own: it keeps every piece the port binding hands it.
class RecordingSession final : public PortSession {
public:
    using PortSession::PortSession;
    Bytes received;
    std::size_t largestPiece = 0;

private:
    void receivePiece(std::span<const std::uint8_t> piece) override {
        largestPiece = std::max(largestPiece, piece.size());
        received.insert(received.end(), piece.begin(), piece.end());
    }
    bool protocolFinished() const override { return false; }
    void fail(TransferFailure failure) override { failure_ = std::move(failure); }
};

class SilentView final : public TransferView {
public:
    void showPhase(TransferPhase) override {}
    void showCounter(BlockCounter) override {}
    void showProgress(int) override {}
    void showFailure(const TransferFailure&) override {}
    void reportFailure(const TransferFailure&) override {}
    void close() override {}
};

TEST_F(ControllerTest, ANotificationOfMoreThan128BytesIsReadInPiecesAndNothingIsLeft) {
    serial::TComm comm;
    comm.SetDeviceName(line_.path());
    SilentView silent;
    RecordingSession session(comm, silent);
    comm.Open();
    Bytes sent(1000);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        sent[i] = static_cast<std::uint8_t>(i * 7);
    }
    line_.send(sent);
    // The bytes may reach the port in several deliveries; wait for all of them, however slowly
    // the machine passes them on.
    EXPECT_TRUE(pumpUntil([&] {
        session.onRxChar(static_cast<int>(sent.size() - session.received.size()));
        return session.received.size() >= sent.size();
    }));
    comm.Close();
    EXPECT_EQ(session.received, sent);
    EXPECT_EQ(session.largestPiece, 128u);
    EXPECT_EQ(session.bytesReceived(), sent.size());
    EXPECT_FALSE(session.failed());
}

TEST_F(ControllerTest, ASessionUnbindsItselfFromThePortItOutlives) {
    serial::TComm comm;
    {
        SilentView silent;
        RecordingSession session(comm, silent);
        EXPECT_TRUE(comm.OnRxChar && comm.OnLineError && comm.OnHandlerException);
    }
    EXPECT_FALSE(comm.OnRxChar || comm.OnLineError || comm.OnHandlerException);
}

}  // namespace
}  // namespace bv3::transfer
