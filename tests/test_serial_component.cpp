// The serial component's properties, setter rules, open/close, errors and data transfer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <optional>

#include "platform/com_port_name.h"
#include "platform/manual_ui_thread.h"
#include "serial/comm.h"
#include "serial/open_failure_hint.h"
#include "serial_fake_device.h"
#include "serial_test_support.h"

namespace bv3::serial {
namespace {

using testing::FakeComm;
using testing::FakeScript;
using testing::openFdCount;
using testing::PtyPair;

class SerialComponent : public ::testing::Test {
protected:
    void SetUp() override { previous_ = platform::setUiThread(&ui_); }
    void TearDown() override { platform::setUiThread(previous_); }

    std::string expectRaise(const std::function<void()>& action, std::int32_t* code = nullptr) {
        try {
            action();
        } catch (const ECommError& e) {
            if (code != nullptr) {
                *code = e.ErrorCode();
            }
            return e.what();
        }
        ADD_FAILURE() << "no ECommError raised";
        return {};
    }

    platform::ManualUiThread ui_;
    platform::UiThread* previous_ = nullptr;
};

TEST_F(SerialComponent, ConstructorSetsThePropertyTable) {
    TComm comm;
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(comm.DeviceName(), "Com2");
    EXPECT_EQ(comm.ReadTimeout(), 1000);
    EXPECT_EQ(comm.WriteTimeout(), 1000);
    EXPECT_EQ(comm.ReadBufSize(), 4096);
    EXPECT_EQ(comm.WriteBufSize(), 2048);
    EXPECT_EQ(comm.MonitorEvents(), TCommEventTypes::All());
    EXPECT_EQ(EventMask(comm.MonitorEvents()), 0x01FFu);
    EXPECT_EQ(comm.BaudRate(), TBaudrate::br9600);
    EXPECT_EQ(comm.Parity(), TParity::paNone);
    EXPECT_EQ(comm.Stopbits(), TStopbits::sb10);
    EXPECT_EQ(comm.Databits(), TDatabits::da8);
    EXPECT_TRUE(comm.Options().Empty());
    EXPECT_EQ(comm.FlowControl(), TFlowControl::fcDefault);
    EXPECT_EQ(comm.EventChars().XonChar(), 17);
    EXPECT_EQ(comm.EventChars().XoffChar(), 19);
    EXPECT_EQ(comm.EventChars().ErrorChar(), 0);
    EXPECT_EQ(comm.EventChars().EofChar(), 0);
    EXPECT_EQ(comm.EventChars().EvtChar(), 0);
    EXPECT_FALSE(comm.OnRxChar);
}

TEST(SerialTypes, DriverValuesOfTheEnumerations) {
    const std::uint32_t rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                   19200, 38400, 56000, 57600, 115200, 128000, 256000};
    for (unsigned i = 0; i < 15; ++i) {
        EXPECT_EQ(BaudRateValue(static_cast<TBaudrate>(i)), rates[i]);
    }
    const std::uint32_t options[] = {0x0002, 0x0040, 0x0080, 0x0400, 0x0800};
    for (unsigned i = 0; i < 5; ++i) {
        EXPECT_EQ(OptionFlag(static_cast<TCommOption>(i)), options[i]);
    }
    const std::uint32_t events[] = {0x0040, 0x0008, 0x0010, 0x0080, 0x0100, 0x0020, 0x0001, 0x0002, 0x0004};
    for (unsigned i = 0; i < 9; ++i) {
        EXPECT_EQ(EventMaskBit(static_cast<TCommEventType>(i)), events[i]);
    }
    EXPECT_EQ(EventMask({TCommEventType::evRxChar, TCommEventType::evTxEmpty}), 0x0005u);
}

TEST(SerialError, MessageEndsWithTheCodeAndABlank) {
    const ECommError e("Write error", 5);
    EXPECT_STREQ(e.what(), "Write error (Error: 5) ");
    EXPECT_EQ(e.ErrorCode(), 5);
    EXPECT_STREQ(ECommError(commtext::portAlreadyAssigned, -1).what(), "Port already assigned (open) (Error: -1) ");
}

TEST_F(SerialComponent, OpenAndCloseGiveBackEveryHandle) {
    PtyPair pty;
    const int beforeComponent = openFdCount();
    auto comm = std::make_unique<TComm>();
    const int before = openFdCount();  // the component holds its I/O event
    comm->SetDeviceName(pty.path());
    comm->Open();
    EXPECT_TRUE(comm->IsOpen());
    comm->Close();
    EXPECT_FALSE(comm->IsOpen());
    EXPECT_EQ(openFdCount(), before);
    comm->Close();  // closing a closed port does nothing
    comm->Open();   // and it opens again
    EXPECT_TRUE(comm->IsOpen());
    comm.reset();  // destruction closes
    EXPECT_EQ(openFdCount(), beforeComponent);
}

TEST_F(SerialComponent, OpenTwiceIsRefusedAndTheFirstStaysUsable) {
    PtyPair pty;
    TComm comm;
    comm.SetDeviceName(pty.path());
    comm.Open();
    std::int32_t code = 0;
    EXPECT_EQ(expectRaise([&] { comm.Open(); }, &code), "Port already assigned (open) (Error: -1) ");
    EXPECT_EQ(code, -1);
    EXPECT_TRUE(comm.IsOpen());
    const std::uint8_t byte = 0x42;
    EXPECT_EQ(comm.Write({&byte, 1}), 1);
    EXPECT_EQ(pty.receive(1), std::vector<std::uint8_t>{0x42});
}

TEST_F(SerialComponent, ASecondComponentCannotTakeAnOpenDevice) {
    PtyPair pty;
    TComm first;
    first.SetDeviceName(pty.path());
    first.Open();
    TComm second;
    second.SetDeviceName(pty.path());
    const int before = openFdCount();
    std::int32_t code = 0;
    EXPECT_EQ(expectRaise([&] { second.Open(); }, &code),
              std::string(commtext::errorAccessingPort) + " (Error: " + std::to_string(EBUSY) + ") ");
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(openFdCount(), before);
    first.Close();
    second.Open();
    EXPECT_TRUE(second.IsOpen());
}

TEST_F(SerialComponent, OpenFailuresLeaveTheComponentClosedAndNoHandleOpen) {
    const auto dir = std::filesystem::temp_directory_path() / ("bv3_serial_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto regular = dir / "not_a_device";
    std::ofstream(regular) << "plain file";

    struct Case {
        std::string device;
        std::string message;
        std::int32_t code;
    };
    const Case cases[] = {
        {(dir / "missing").string(), "Error accessing Communication port..\rPlease check your Comm. port. (Error: 2) ",
         ENOENT},
        {regular.string(), "Invalid device handle, access denied (Error: -1) ", -1},
        {dir.string(), "Error accessing Communication port..\rPlease check your Comm. port. (Error: 21) ", EISDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        TComm comm;
        comm.SetDeviceName(c.device);
        const int before = openFdCount();
        std::int32_t code = 0;
        EXPECT_EQ(expectRaise([&] { comm.Open(); }, &code), c.message);
        EXPECT_EQ(code, c.code);
        EXPECT_FALSE(comm.IsOpen());
        EXPECT_EQ(openFdCount(), before);
    }
    std::filesystem::remove_all(dir);
}

// A character device that is no terminal opens, then refuses the control block; the port
// stays open as after any failure past the open itself.
TEST_F(SerialComponent, ACharacterDeviceWithoutLineSettingsRefusesTheControlBlock) {
    TComm comm;
    comm.SetDeviceName("/dev/null");
    std::int32_t code = 0;
    EXPECT_EQ(expectRaise([&] { comm.Open(); }, &code),
              "Error updating DataControlBlock (Error: " + std::to_string(ENOTTY) + ") ");
    EXPECT_TRUE(comm.IsOpen());
    comm.Close();
    EXPECT_FALSE(comm.IsOpen());
}

TEST_F(SerialComponent, OpenWithoutAUiThreadFailsBeforeTouchingTheDevice) {
    PtyPair pty;
    platform::setUiThread(nullptr);
    TComm comm;
    comm.SetDeviceName(pty.path());
    EXPECT_THROW(comm.Open(), std::logic_error);
    EXPECT_FALSE(comm.IsOpen());
    platform::setUiThread(&ui_);
}

TEST_F(SerialComponent, PortSettingsChangeOnlyWhileClosed) {
    struct Case {
        const char* name;
        std::function<void(TComm&)> sameValue;
        std::function<void(TComm&)> newValue;
    };
    const Case cases[] = {
        {"DeviceName", [](TComm& c) { c.SetDeviceName(c.DeviceName()); }, [](TComm& c) { c.SetDeviceName("Com1"); }},
        {"MonitorEvents", [](TComm& c) { c.SetMonitorEvents(c.MonitorEvents()); },
         [](TComm& c) { c.SetMonitorEvents({TCommEventType::evRxChar}); }},
        {"ReadBufSize", [](TComm& c) { c.SetReadBufSize(4096); }, [](TComm& c) { c.SetReadBufSize(8192); }},
        {"WriteBufSize", [](TComm& c) { c.SetWriteBufSize(2048); }, [](TComm& c) { c.SetWriteBufSize(512); }},
    };
    PtyPair pty;
    TComm comm;
    comm.SetDeviceName(pty.path());
    comm.Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NO_THROW(c.sameValue(comm));
        EXPECT_EQ(expectRaise([&] { c.newValue(comm); }), "Port already assigned (open) (Error: -1) ");
        EXPECT_TRUE(comm.IsOpen());
    }
    EXPECT_EQ(comm.DeviceName(), pty.path());
    EXPECT_EQ(comm.ReadBufSize(), 4096);
    comm.Close();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NO_THROW(c.newValue(comm));
    }
    EXPECT_EQ(comm.DeviceName(), "Com1");
    EXPECT_EQ(comm.ReadBufSize(), 8192);
    EXPECT_EQ(comm.WriteBufSize(), 512);
}

TEST_F(SerialComponent, ReadReturnsOnlyWhatWaitsAndNeverBlocks) {
    PtyPair pty;
    TComm comm;
    comm.SetDeviceName(pty.path());
    comm.SetMonitorEvents({});
    comm.Open();
    std::uint8_t buffer[16] = {};
    EXPECT_EQ(comm.Read(buffer), 0);

    pty.send({1, 2, 3});
    ASSERT_TRUE(testing::pumpUntil([] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); },
                                   [&] {
                                       int n = 0;
                                       ::ioctl(pty.slave(), FIONREAD, &n);
                                       return n == 3;
                                   }));
    EXPECT_EQ(comm.Read(buffer), 3);
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[2], 3);
    EXPECT_EQ(buffer[3], 0);
    EXPECT_EQ(comm.Read(buffer), 0);
    EXPECT_EQ(comm.Read(std::span<std::uint8_t>{}), 0);
}

// The receiver's protocol is binary: control characters of a terminal (XON, XOFF, CR, NUL,
// the interrupt and end-of-file keys) must pass both ways untouched.
TEST_F(SerialComponent, EveryByteValuePassesBothWaysUnchanged) {
    PtyPair pty;
    TComm comm;
    comm.SetDeviceName(pty.path());
    comm.SetMonitorEvents({});
    comm.Open();
    std::vector<std::uint8_t> all(256);
    std::iota(all.begin(), all.end(), 0);

    ASSERT_EQ(comm.Write(all), 256);
    EXPECT_EQ(pty.receive(256), all);

    pty.send(all);
    std::vector<std::uint8_t> got;
    ASSERT_TRUE(testing::pumpUntil(
        [&] {
            std::uint8_t buffer[300];
            const int n = comm.Read(buffer);
            got.insert(got.end(), buffer, buffer + n);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        },
        [&] { return got.size() >= 256; }));
    EXPECT_EQ(got, all);
}

TEST_F(SerialComponent, WriteTimesOutWhenTheOtherEndDoesNotRead) {
    PtyPair pty;
    TComm comm;
    comm.SetDeviceName(pty.path());
    comm.SetMonitorEvents({});
    comm.SetWriteTimeout(50);
    comm.Open();
    const std::vector<std::uint8_t> big(1 << 20, 0x55);  // far more than a terminal buffers
    EXPECT_EQ(comm.Write(big), -1);
    const std::uint8_t byte = 1;
    EXPECT_EQ(comm.Write({&byte, 1}), -1);  // still full: the lock was released, no hang
}

TEST_F(SerialComponent, CloseLetsTheLastWriteReachTheLine) {
    PtyPair pty;
    TComm comm;
    comm.SetDeviceName(pty.path());
    comm.Open();
    const std::uint8_t ack = 0x06;
    ASSERT_EQ(comm.Write({&ack, 1}), 1);
    comm.Close();
    EXPECT_EQ(pty.receive(1), std::vector<std::uint8_t>{0x06});
}

TEST_F(SerialComponent, ReadAndWriteOnAClosedPortRaise) {
    TComm comm;
    std::uint8_t byte = 0;
    EXPECT_EQ(expectRaise([&] { comm.Read({&byte, 1}); }), "Read error (Error: 9) ");
    EXPECT_EQ(expectRaise([&] { comm.Write({&byte, 1}); }), "Write error (Error: 9) ");
}

TEST_F(SerialComponent, HangUpOfTheOtherEndSurfacesAsReadError) {
    PtyPair pty;
    TComm comm;
    const int before = openFdCount();
    comm.SetDeviceName(pty.path());
    comm.Open();
    pty.closeMaster();
    std::uint8_t buffer[4];
    std::int32_t code = 0;
    EXPECT_EQ(expectRaise([&] { comm.Read(buffer); }, &code), "Read error (Error: 5) ");
    EXPECT_EQ(code, EIO);
    EXPECT_TRUE(comm.IsOpen());
    comm.Close();
    // The hang-up's notification may have been queued for the UI thread before Close withdrew
    // it; the withdrawn task holds the event thread's state until the UI thread drops it.
    ui_.pump();
    EXPECT_EQ(openFdCount(), before - 1);  // the master is gone, nothing else stays
}

// Driver failures a terminal will not produce, each raised with its text and the driver's
// error number, each leaving the state the component documents.
TEST_F(SerialComponent, DriverFailuresRaiseTheirMessages) {
    struct Case {
        const char* what;
        std::function<void(FakeScript&)> arrange;
        std::function<void(FakeComm&)> act;
        std::string message;
        bool openAfterwards;
    };
    const Case cases[] = {
        {"control block", [](FakeScript& s) { s.applyError = 22; }, [](FakeComm& c) { c.Open(); },
         "Error updating DataControlBlock (Error: 22) ", true},
        {"queues", [](FakeScript& s) { s.queuesError = 12; }, [](FakeComm& c) { c.Open(); },
         "Error initializing Read/Write Buffers (Error: 12) ", true},
        {"read",
         [](FakeScript& s) {
             s.readResult = {platform::IoResult::Status::failed, 0, 5};
         },
         [](FakeComm& c) {
             c.Open();
             std::uint8_t b;
             c.Read({&b, 1});
         },
         "Read error (Error: 5) ", true},
        {"write",
         [](FakeScript& s) {
             s.writeResult = {platform::IoResult::Status::failed, 0, 5};
         },
         [](FakeComm& c) {
             c.Open();
             std::uint8_t b = 0;
             c.Write({&b, 1});
         },
         "Write error (Error: 5) ", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto script = std::make_shared<FakeScript>();
        c.arrange(*script);
        FakeComm comm(script);
        comm.SetDeviceName("fake");
        EXPECT_EQ(expectRaise([&] { c.act(comm); }), c.message);
        EXPECT_EQ(comm.IsOpen(), c.openAfterwards);
        std::uint8_t b = 0;
        if (c.what == std::string("read")) {
            // The I/O lock was released on the way out: the next call gets in (and fails again).
            EXPECT_THROW(comm.Read({&b, 1}), ECommError);
        } else if (c.what == std::string("write")) {
            EXPECT_THROW(comm.Write({&b, 1}), ECommError);
        }
    }
}

TEST_F(SerialComponent, ReadAndWriteTimeOutsReturnMinusOne) {
    auto script = std::make_shared<FakeScript>();
    script->readResult = {platform::IoResult::Status::timedOut, 0, 0};
    script->writeResult = {platform::IoResult::Status::timedOut, 0, 0};
    FakeComm comm(script);
    comm.Open();
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(comm.Read(buffer), -1);
    EXPECT_EQ(comm.Write(buffer), -1);
    script->readResult = {platform::IoResult::Status::completed, 3, 0};
    EXPECT_EQ(comm.Read(buffer), 3);
}

// Which names are port names is one rule on every platform.
TEST(ComPortName, OneRuleForEveryPlatform) {
    struct Case {
        const char* name;
        std::optional<int> number;
    };
    const Case cases[] = {
        {"Com1", 1},     {"COM1", 1},        {"cOm9", 9},     {"Com10", 10}, {"Com99", 99},
        {"Com100", 100}, {"Com255", 255},    {"Com256", {}},  {"Com0", {}},  {"Com01", {}},
        {"Com007", {}},  {"Com", {}},        {"Com1a", {}},   {"Comm1", {}}, {"Com 1", {}},
        {"Com1000", {}}, {"/dev/ttyS0", {}}, {"ttyUSB0", {}}, {"", {}},      {"Com-1", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::comPortNumber(c.name), c.number) << c.name;
    }
}

TEST_F(SerialComponent, ComNamesReachADeviceThroughThePortsFolder) {
    PtyPair pty;
    const auto dir = std::filesystem::temp_directory_path() / ("bv3_ports_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::create_symlink(pty.path(), dir / "Com1");
    std::filesystem::create_symlink(dir / "nowhere", dir / "Com3");
    ::setenv("BV3_PORTS_DIR", dir.c_str(), 1);

    EXPECT_EQ(platform::resolveDeviceName("Com1"), (dir / "Com1").string());
    EXPECT_EQ(platform::resolveDeviceName("COM1"), (dir / "Com1").string());
    EXPECT_EQ(platform::resolveDeviceName("Com2"), "/dev/ttyS1");
    EXPECT_EQ(platform::resolveDeviceName("Com3"), (dir / "Com3").string());  // broken link: named, not skipped
    EXPECT_EQ(platform::resolveDeviceName("Com4"), "/dev/ttyS3");
    EXPECT_EQ(platform::resolveDeviceName("Com100"), "/dev/ttyS99");
    for (const char* verbatim : {"Com0", "Com", "Com01", "Comm1", "/dev/ttyUSB0", "ttyS0"}) {
        EXPECT_EQ(platform::resolveDeviceName(verbatim), verbatim);
    }

    TComm comm;
    comm.SetDeviceName("Com1");
    comm.Open();
    const std::uint8_t byte = 0x7E;
    EXPECT_EQ(comm.Write({&byte, 1}), 1);
    EXPECT_EQ(pty.receive(1), std::vector<std::uint8_t>{0x7E});
    comm.Close();

    ::unsetenv("BV3_PORTS_DIR");
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace bv3::serial

namespace bv3::serial {
namespace {

TEST(SerialOpenHint, NamesTheDeviceAndWhatHelps) {
    ::unsetenv("BV3_PORTS_DIR");
    struct Case {
        std::int32_t code;
        std::string name;
        std::string part;
    };
    const Case cases[] = {
        {EACCES, "/dev/ttyUSB0", "'dialout' group"},
        {EBUSY, "/dev/ttyUSB0", "/dev/ttyUSB0 is in use"},
        {ENOENT, "/dev/ttyUSB7", "BV3_PORTS_DIR"},
        {-1, "/tmp/file", "not a serial device"},
        {EIO, "/dev/ttyS0", "/dev/ttyS0: Input/output error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_NE(OpenFailureHint(ECommError(commtext::errorAccessingPort, c.code), c.name).find(c.part),
                  std::string::npos);
    }
    EXPECT_NE(OpenFailureHint(ECommError(commtext::errorAccessingPort, EACCES), "Com4").find("Com4 ("),
              std::string::npos);
}

}  // namespace
}  // namespace bv3::serial
