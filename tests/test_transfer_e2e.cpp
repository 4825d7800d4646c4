// Whole transfers over a pseudo-terminal against stb-sim, through the exports' dialogs and
// through bv3.
#include "BV3Dll.h"
#include "sim_process.h"
#include "stb-sim/receiver_memory.h"
#include "transfer/qt/download_dialog.h"
#include "transfer/qt/upload_dialog.h"
#include "ui/qt/application.h"
#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <poll.h>

#include <cstdlib>
#include <filesystem>
#include <random>

namespace bv3::testing {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Receiver bytes before the data of flash block k: announcement 7, answers to the mode frame
// 7, the EEPROM block (9 + 8192 + 1), then 9 + 4096 + 1 per earlier flash block and the 9
// answers to block k's request.
std::uint64_t byteInFlashBlock(int block, int byteInBlock) {
    return 7 + 7 + (9 + 8192 + 1) + static_cast<std::uint64_t>(block) * (9 + 4096 + 1) + 9 + byteInBlock;
}

class TransferE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::application();
        directory_ = fs::temp_directory_path() / ("bv3-e2e-" + std::to_string(::getpid()) + "-" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(directory_);
    }
    void TearDown() override {
        ::unsetenv("BV3_PORTS_DIR");
        fs::remove_all(directory_);
    }
    std::string path(const std::string& name) const { return (directory_ / name).string(); }

    // Makes "ComN" name the simulator's line, as a user's port folder would.
    void linkPort(int n, const std::string& device) {
        const fs::path ports = directory_ / "ports";
        fs::create_directories(ports);
        fs::create_symlink(device, ports / ("Com" + std::to_string(n)));
        ::setenv("BV3_PORTS_DIR", ports.c_str(), 1);
    }

    ChildProcess bv3(std::vector<std::string> args) {
        args.insert(args.begin(), binary("bv3"));
        return ChildProcess(std::move(args), path("bv3"));
    }

    static Bytes expectedUpload() { return stbsim::ReceiverMemory::samplePattern().uploadedImage(); }

    static Bytes randomFile(std::size_t size) {
        std::mt19937 random(1234);
        Bytes bytes(size);
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(random());
        }
        return bytes;
    }

    ui::ScopedMessageBoxRecorder boxes;

private:
    fs::path directory_;
};

TEST_F(TransferE2eTest, UploadDataStoresTheComplementOfTheReceiverMemory) {
    Simulator sim(path("sim"), {"--noise", "3", "--stx-twice"});
    linkPort(1, sim.device());
    const std::string target = path("upload.raw");
    EXPECT_EQ(UploadData(0, 0, target.c_str()), 2);
    EXPECT_TRUE(boxes.shown().empty());
    const Bytes received = readBytes(target);
    ASSERT_EQ(received.size(), 401408u);
    EXPECT_TRUE(received == expectedUpload());
    EXPECT_FALSE(fs::exists(target + ".partial"));
    EXPECT_EQ(sim.wait(), 0) << sim.log();
}

// The editor unloads the library as soon as an export returns. A download ends inside the
// port's own notification (the receiver's end request), so its event thread must already be
// joined when DownloadData returns; the host then unloads the library and exits normally.
TEST_F(TransferE2eTest, AHostThatUnloadsTheLibraryRightAfterATransferExitsCleanly) {
    const Bytes file = randomFile(3000);
    const std::string source = path("host.qdf");
    writeBytes(source, file);
    Simulator sim(path("sim"), {"--download-size", std::to_string(file.size()), "--request-size", "1000", "--save",
                                path("host.got")});
    linkPort(1, sim.device());
    ChildProcess host({binary("bv3-host"), std::string(BV3_BINARY_DIR) + "/lib/libBV3Dll.so", "download", "0", "0", source},
                      path("host"));
    ASSERT_EQ(host.wait(), 0) << host.standardError();
    EXPECT_NE(host.standardOutput().find("DownloadData returned 2"), std::string::npos) << host.standardOutput();
    EXPECT_EQ(sim.wait(), 0) << sim.log();
    EXPECT_TRUE(readBytes(path("host.got")) == file);
}

TEST_F(TransferE2eTest, Bv3UploadSurvivesASilenceInsideAFlashBlock) {
    Simulator sim(path("sim"), {"--silence-after", std::to_string(byteInFlashBlock(3, 2000)), "--silence-ms", "3300"});
    const std::string target = path("upload.raw");
    ChildProcess tool = bv3({"upload", target, "--port", sim.device(), "--baud", "115200"});
    ASSERT_EQ(tool.wait(), 0) << tool.standardError();
    EXPECT_NE(tool.standardError().find("(1 retries)"), std::string::npos) << tool.standardError();
    EXPECT_NE(tool.standardError().find("Serial Error : Retry [1] at 20480"), std::string::npos);
    EXPECT_TRUE(readBytes(target) == expectedUpload());
    EXPECT_NE(sim.log().find("falling silent"), std::string::npos);
}

// Line noise inserts bytes into a block: the block is read again, and the file is exact,
// through bv3 and through the export's dialog alike.
TEST_F(TransferE2eTest, AnUploadReadsABlockWithInsertedBytesAgain) {
    const std::vector<std::string> garbage = {"--garbage-after", "20000", "--garbage-count", "50"};
    {
        SCOPED_TRACE("bv3");
        Simulator sim(path("sim"), garbage);
        const std::string target = path("upload.raw");
        ChildProcess tool = bv3({"upload", target, "--port", sim.device(), "--baud", "115200"});
        // A whole upload is 800,000 lock-step bytes: on a loaded machine that takes minutes.
        ASSERT_EQ(tool.wait(std::chrono::seconds(600)), 0) << tool.standardError();
        EXPECT_NE(tool.standardError().find("(1 retries)"), std::string::npos) << tool.standardError();
        EXPECT_TRUE(readBytes(target) == expectedUpload());
    }
    {
        SCOPED_TRACE("UploadData");
        Simulator sim(path("sim2"), garbage);
        linkPort(2, sim.device());
        const std::string target = path("dialog.raw");
        EXPECT_EQ(UploadData(1, 0, target.c_str()), 2);
        EXPECT_TRUE(boxes.shown().empty());
        EXPECT_TRUE(readBytes(target) == expectedUpload());
        EXPECT_EQ(sim.wait(std::chrono::seconds(600)), 0) << sim.log();
    }
}

// A receiver that stops answering (switched off: the line stays up) ends the command with a
// message, exit status 1 and no file, however long the receiver would stay silent.
TEST_F(TransferE2eTest, Bv3GivesUpOnAReceiverThatStopsAnswering) {
    struct Case {
        const char* name;
        const char* command;
        std::uint64_t silentAfter;
    };
    const Case cases[] = {
        {"upload, inside a flash block", "upload", byteInFlashBlock(3, 2000)},
        {"upload, after the announcement", "upload", 3},
        {"download, after the first request", "download", 40},
    };
    const std::string source = path("image.qdf");
    writeBytes(source, randomFile(64 * 1024));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Simulator sim(path("sim"), {"--silence-after", std::to_string(c.silentAfter), "--silence-ms", "100000",
                                    "--download-size", std::to_string(64 * 1024)});
        const std::string file = std::string(c.command) == "upload" ? path("upload.raw") : source;
        ChildProcess tool = bv3({c.command, file, "--port", sim.device(), "--timeout", "2"});
        ASSERT_EQ(tool.wait(std::chrono::seconds(60)), 1) << tool.standardError();
        EXPECT_NE(tool.standardError().find("the receiver stopped answering (nothing received for 2 s)"),
                  std::string::npos)
            << tool.standardError();
        if (std::string(c.command) == "upload") {
            for (const auto& entry : fs::directory_iterator(path(""))) {
                EXPECT_FALSE(entry.path().filename().string().starts_with("upload.raw")) << entry.path();
            }
        }
    }
}

TEST_F(TransferE2eTest, CancelInTheMiddleDeletesTheFile) {
    Simulator sim(path("sim"), {});
    const std::string target = path("upload.raw");
    writeBytes(target, Bytes(10, 0x11));
    transfer::TfrmUpLoad dialog;
    dialog.SetupDevice(sim.device(), serial::TBaudrate::br115200, target);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (dialog.Progress1()->Progress() >= 5) {
            poll.stop();
            dialog.BitBtn1()->click();
        }
    });
    poll.start(5);
    EXPECT_EQ(dialog.exec(), 2);
    EXPECT_FALSE(dialog.session().completed());
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(fs::exists(target + ".partial"));
}

TEST_F(TransferE2eTest, DownloadsDeliverTheFileUnchanged) {
    const Bytes file = randomFile(256 * 1024);
    const std::string source = path("image.qdf");
    writeBytes(source, file);
    {
        SCOPED_TRACE("bv3");
        Simulator sim(path("sim"), {"--download-size", std::to_string(file.size()), "--save", path("bv3.got")});
        ChildProcess tool = bv3({"download", source, "--port", sim.device(), "--baud", "57600"});
        ASSERT_EQ(tool.wait(), 0) << tool.standardError();
        EXPECT_EQ(sim.wait(), 0) << sim.log();
        EXPECT_TRUE(readBytes(path("bv3.got")) == file);
        // stderr is a pipe: the status lines and the final line, no running updates.
        EXPECT_EQ(tool.standardError().find('\r'), std::string::npos) << tool.standardError();
        EXPECT_NE(tool.standardError().find("bv3: sent "), std::string::npos) << tool.standardError();
    }
    {
        SCOPED_TRACE("DownloadData");
        Simulator sim(path("sim2"), {"--download-size", std::to_string(file.size()), "--request-size", "1000", "--save",
                                     path("dialog.got")});
        linkPort(2, sim.device());
        EXPECT_EQ(DownloadData(1, 1, source.c_str()), 2);
        EXPECT_TRUE(boxes.shown().empty());
        EXPECT_EQ(sim.wait(), 0) << sim.log();
        EXPECT_TRUE(readBytes(path("dialog.got")) == file);
    }
    EXPECT_TRUE(readBytes(source) == file);
}

// --progress redraws the line into a pipe as on a terminal; --quiet leaves only errors.
TEST_F(TransferE2eTest, Bv3DownloadProgressFollowsProgressAndQuiet) {
    const Bytes file = randomFile(20000);
    const std::string source = path("image.qdf");
    writeBytes(source, file);
    struct Case {
        const char* option;
        bool carriageReturns;
        bool silent;
    };
    for (const Case c : {Case{"--progress", true, false}, Case{"--quiet", false, true}}) {
        SCOPED_TRACE(c.option);
        const std::string got = path(std::string("got") + c.option);
        Simulator sim(path(std::string("sim") + c.option), {"--download-size", std::to_string(file.size()), "--save", got});
        ChildProcess tool = bv3({"download", source, "--port", sim.device(), c.option});
        ASSERT_EQ(tool.wait(), 0) << tool.standardError();
        EXPECT_EQ(sim.wait(), 0) << sim.log();
        EXPECT_TRUE(readBytes(got) == file);
        EXPECT_EQ(tool.standardError().find('\r') != std::string::npos, c.carriageReturns) << tool.standardError();
        EXPECT_EQ(tool.standardError().empty(), c.silent) << tool.standardError();
    }
}

TEST_F(TransferE2eTest, ASessionThePcLeavesIsLostAndTheNextOneIsServed) {
    const Bytes file = randomFile(20000);
    const std::string source = path("image.qdf");
    writeBytes(source, file);
    Simulator sim(path("sim"),
                  {"--sessions", "2", "--download-size", std::to_string(file.size()), "--save", path("got.bin")});
    {
        // A PC that opens the line, hears the announcement begin and goes away.
        const int pc = ::open(sim.device().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(pc, 0);
        pollfd ready{pc, POLLIN, 0};
        ASSERT_EQ(::poll(&ready, 1, 10000), 1) << "no announcement";
        std::uint8_t first = 0;
        EXPECT_EQ(::read(pc, &first, 1), 1);
        EXPECT_EQ(first, 0x02);
        ::close(pc);
    }
    ChildProcess tool = bv3({"download", source, "--port", sim.device()});
    ASSERT_EQ(tool.wait(), 0) << tool.standardError();
    EXPECT_EQ(sim.wait(), 1) << "a lost session shows in the exit status";
    EXPECT_TRUE(readBytes(path("got.bin")) == file);
    EXPECT_NE(sim.log().find("closed the line before the end"), std::string::npos) << sim.log();
}

TEST_F(TransferE2eTest, Bv3RefusesToServeAFileItCannotOpen) {
    Simulator sim(path("sim"), {"--download-size", "100", "--wait", "5"});
    ChildProcess tool = bv3({"download", path("missing.qdf"), "--port", sim.device()});
    EXPECT_EQ(tool.wait(std::chrono::seconds(10)), 1);
    EXPECT_NE(tool.standardError().find("bv3: Cannot open " + path("missing.qdf") + ": No such file or directory"),
              std::string::npos)
        << tool.standardError();
}

TEST_F(TransferE2eTest, AVanishingDeviceIsReportedAndLeavesNoFile) {
    {
        SCOPED_TRACE("bv3");
        Simulator sim(path("sim"), {"--hang-up-after", "20000"});
        const std::string target = path("bv3.raw");
        ChildProcess tool = bv3({"upload", target, "--port", sim.device()});
        EXPECT_EQ(tool.wait(), 1);
        EXPECT_NE(tool.standardError().find("bv3: Transfer failed on " + sim.device()), std::string::npos)
            << tool.standardError();
        EXPECT_FALSE(fs::exists(target));
        EXPECT_FALSE(fs::exists(target + ".partial"));
    }
    {
        SCOPED_TRACE("dialog");
        Simulator sim(path("sim2"), {"--hang-up-after", "20000"});
        const std::string target = path("dialog.raw");
        transfer::TfrmUpLoad dialog;
        dialog.SetupDevice(sim.device(), serial::TBaudrate::br115200, target);
        QTimer poll;
        bool portReleased = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (dialog.session().failed()) {
                poll.stop();
                portReleased = !dialog.Comm1().IsOpen();
                dialog.BitBtn1()->click();
            }
        });
        poll.start(5);
        EXPECT_EQ(dialog.exec(), 2);
        EXPECT_TRUE(portReleased);
        EXPECT_TRUE(dialog.Label1()->text().startsWith(QStringLiteral("Transfer failed on")));
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_NE(boxes.shown()[0].text.find(target), std::string::npos);
        EXPECT_FALSE(fs::exists(target));
    }
}

// The receiver's line goes away in the middle of a download (an adapter pulled out: reads fail
// with EIO). The failure names the line, the port is let go at once, and the next download
// over a line that is there again completes, in a new bv3 and in the same process alike.
TEST_F(TransferE2eTest, ALineLostMidDownloadIsReportedReleasedAndTheNextDownloadWorks) {
    const Bytes file = randomFile(20000);
    const std::string source = path("image.qdf");
    writeBytes(source, file);
    const std::vector<std::string> vanishing{"--download-size", "20000", "--request-size", "1000", "--hang-up-after",
                                             "300"};
    {
        SCOPED_TRACE("bv3");
        Simulator gone(path("sim"), vanishing);
        ChildProcess lost = bv3({"download", source, "--port", gone.device()});
        EXPECT_EQ(lost.wait(), 1);
        EXPECT_NE(lost.standardError().find("bv3: Transfer failed on " + gone.device() + ": the device went away"),
                  std::string::npos)
            << lost.standardError();
        Simulator back(path("sim2"), {"--download-size", "20000", "--save", path("bv3.got")});
        ChildProcess again = bv3({"download", source, "--port", back.device()});
        ASSERT_EQ(again.wait(), 0) << again.standardError();
        EXPECT_EQ(back.wait(), 0) << back.log();
        EXPECT_TRUE(readBytes(path("bv3.got")) == file);
    }
    {
        SCOPED_TRACE("dialog");
        Simulator gone(path("sim3"), vanishing);
        const std::string device = gone.device();
        transfer::TfrmDownload dialog;
        dialog.SetupDevice(device, serial::TBaudrate::br115200, source);
        QTimer poll;
        bool released = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (dialog.session().failed()) {
                poll.stop();
                released = !dialog.Comm1().IsOpen() && !holdsDeviceOpen(device);
                dialog.BitBtn1()->click();
            }
        });
        poll.start(5);
        EXPECT_EQ(dialog.exec(), 2);
        EXPECT_TRUE(released) << "the port is let go when the line goes away, before the dialog closes";
        EXPECT_TRUE(dialog.Label1()->text().startsWith(QStringLiteral("Transfer failed on")));
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_NE(boxes.shown()[0].text.find(device + ": the device went away"), std::string::npos)
            << boxes.shown()[0].text;

        Simulator back(path("sim4"), {"--download-size", "20000", "--save", path("dialog.got")});
        transfer::TfrmDownload second;
        second.SetupDevice(back.device(), serial::TBaudrate::br115200, source);
        EXPECT_EQ(second.exec(), 2);
        EXPECT_TRUE(second.session().completed());
        EXPECT_EQ(back.wait(), 0) << back.log();
        EXPECT_TRUE(readBytes(path("dialog.got")) == file);
        EXPECT_EQ(boxes.shown().size(), 1u);
    }
}

}  // namespace
}  // namespace bv3::testing
