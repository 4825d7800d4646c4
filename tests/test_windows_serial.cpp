// The serial component on the Windows communications API, against a real port: the test run
// maps a Wine COM port onto a pseudo-terminal whose other end echoes every byte
// (tests/scripts/wine_transfers.sh, run by scripts/test-windows.sh), and names the port in
// BV3_WIN32_SERIAL_PORT. Without a port the test is skipped: nothing here needs hardware.
#include "platform/manual_ui_thread.h"
#include "platform/serial_device.h"
#include "platform/waitable_event.h"
#include "serial/comm.h"

// Last: <windows.h> defines the serial event names as macros, which would turn the component's
// own constants below into numbers (events and DCB flags); the test uses only the component's.
#include "windows_test_support.h"
#undef EV_RXCHAR
#undef DTR_CONTROL_ENABLE

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bv3::serial::TBaudrate;
using bv3::serial::TComm;

std::string portUnderTest() {
    const char* port = std::getenv("BV3_WIN32_SERIAL_PORT");
    return port != nullptr ? std::string(port) : std::string();
}

class WindowsSerial : public testing::Test {
protected:
    void SetUp() override {
        port_ = portUnderTest();
        if (port_.empty()) {
            GTEST_SKIP() << "BV3_WIN32_SERIAL_PORT names no port";
        }
        previous_ = bv3::platform::setUiThread(&ui_);
    }
    void TearDown() override {
        if (!port_.empty()) {
            bv3::platform::setUiThread(previous_);
        }
    }

    template <class Done>
    bool pumpUntil(Done done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            ui_.pump(std::chrono::milliseconds(20));
        }
        return true;
    }

    std::string port_;
    bv3::platform::ManualUiThread ui_;
    bv3::platform::UiThread* previous_ = nullptr;
};

TEST_F(WindowsSerial, TheDeviceTakesTheLineSettingsItIsGiven) {
    const auto device = bv3::platform::openSerialDevice(port_);
    bv3::platform::Dcb dcb;
    ASSERT_EQ(device->getState(dcb), 0);
    dcb.BaudRate = 115200;
    dcb.ByteSize = 8;
    dcb.Parity = 0;
    dcb.StopBits = 0;
    dcb.Flags = bv3::platform::dcbflag::fBinary | bv3::platform::dcbflag::DTR_CONTROL_ENABLE;
    ASSERT_EQ(device->setState(dcb), 0);
    bv3::platform::Dcb back;
    ASSERT_EQ(device->getState(back), 0);
    EXPECT_EQ(back.BaudRate, 115200u);
    EXPECT_EQ(back.ByteSize, 8);
    EXPECT_NE(back.Flags & bv3::platform::dcbflag::fBinary, 0u);
}

TEST_F(WindowsSerial, TheEventWaitReportsTheEchoAndTheReadTakesIt) {
    const auto device = bv3::platform::openSerialDevice(port_);
    ASSERT_EQ(device->setTimeouts({0xFFFFFFFF, 0, 0, 0, 1000}), 0);
    ASSERT_EQ(device->setCommMask(bv3::platform::commevent::EV_RXCHAR), 0);
    const std::vector<std::uint8_t> frame{0x02, 0x41, 0x03};
    const auto written = device->write(frame, 2000);
    ASSERT_EQ(written.status, bv3::platform::IoResult::Status::completed);
    ASSERT_EQ(written.count, frame.size());
    bv3::platform::WaitableEvent wake(true, false);
    const auto event = device->waitCommEvent(wake);
    ASSERT_EQ(event.status, bv3::platform::WaitResult::Status::events) << "error " << event.error;
    EXPECT_NE(event.mask & bv3::platform::commevent::EV_RXCHAR, 0u) << event.mask;
    bv3::platform::CommStatus status;
    ASSERT_EQ(device->clearError(status), 0);
    EXPECT_GT(status.inQueue, 0u);
    std::vector<std::uint8_t> buffer(16);
    const auto read = device->read(buffer, 2000);
    ASSERT_EQ(read.status, bv3::platform::IoResult::Status::completed);
    buffer.resize(read.count);
    EXPECT_EQ(buffer, frame);
}

TEST_F(WindowsSerial, AFrameWrittenComesBackThroughOnRxCharOnTheUiThread) {
    TComm comm;
    comm.SetDeviceName(port_);
    comm.SetBaudRate(TBaudrate::br115200);
    std::vector<std::uint8_t> got;
    comm.OnRxChar = [&](TComm& sender, int count) {
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(count));
        const int n = sender.Read(buffer);
        got.insert(got.end(), buffer.begin(), buffer.begin() + n);
    };
    comm.Open();
    const std::vector<std::uint8_t> frame{0x02, 0x00, 0x10, 0xA5, 0xFF, 0x03};
    ASSERT_EQ(comm.Write(frame), static_cast<std::int32_t>(frame.size()));
    EXPECT_TRUE(pumpUntil([&] { return got.size() >= frame.size(); })) << got.size() << " bytes came back";
    EXPECT_EQ(got, frame);
    comm.Close();
}

TEST_F(WindowsSerial, APortInUseCannotBeOpenedTwice) {
    if (runningUnderWine()) {
        GTEST_SKIP() << "Wine does not enforce the exclusive open of a serial port that Windows does";
    }
    const auto first = bv3::platform::openSerialDevice(port_);
    EXPECT_THROW(bv3::platform::openSerialDevice(port_), bv3::platform::SerialOpenFailure);
}

}  // namespace
