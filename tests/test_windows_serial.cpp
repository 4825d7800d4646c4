// The serial component on the Windows communications API, against a real port: the test run
// maps a Wine COM port onto a pseudo-terminal whose other end echoes every byte
// (tests/scripts/wine_transfers.sh, run by scripts/test-windows.sh), and names the port in
// BV3_WIN32_SERIAL_PORT. Without a port the test is skipped: nothing here needs hardware.
#include "platform/manual_ui_thread.h"
#include "platform/serial_port.h"
#include "platform/waitable_event.h"
#include "serial/comm.h"

// Last: <windows.h> defines the serial event names as macros, which would clash with the
// component's own constants of the same names (serial/comm_control_block.h) if it came first.
#include "windows_test_support.h"

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

TEST_F(WindowsSerial, ThePortTakesTheLineSettingsItIsGiven) {
    const auto port = bv3::platform::openSerialPort(port_);
    bv3::platform::LineSettings settings;
    ASSERT_EQ(port->readSettings(settings), 0);
    settings.baudRate = 115200;
    settings.dataBits = 8;
    settings.parity = bv3::platform::Parity::none;
    settings.stopBits = bv3::platform::StopBits::one;
    settings.dtr = bv3::platform::LineControl::on;
    settings.xonChar = 0x11;
    settings.xoffChar = 0x13;
    ASSERT_EQ(port->applySettings(settings), 0);
    bv3::platform::LineSettings back;
    ASSERT_EQ(port->readSettings(back), 0);
    EXPECT_EQ(back.baudRate, 115200u);
    EXPECT_EQ(back.dataBits, 8);
    EXPECT_EQ(back.dtr, bv3::platform::LineControl::on);
    EXPECT_EQ(back.xoffChar, 0x13);
}

TEST_F(WindowsSerial, TheWaitReportsTheEchoAndTheReadTakesIt) {
    const auto port = bv3::platform::openSerialPort(port_);
    ASSERT_EQ(port->watch({bv3::platform::PortEvent::inputAvailable}), 0);
    const std::vector<std::uint8_t> frame{0x02, 0x41, 0x03};
    const auto written = port->write(frame, 2000);
    ASSERT_EQ(written.status, bv3::platform::IoResult::Status::completed);
    ASSERT_EQ(written.count, frame.size());
    bv3::platform::WaitableEvent cancel(true, false);
    const auto event = port->wait(cancel);
    ASSERT_EQ(event.status, bv3::platform::WaitResult::Status::events) << "error " << event.error;
    EXPECT_TRUE(event.events.has(bv3::platform::PortEvent::inputAvailable));
    // The echo may still be on its way in: the input count grows to the whole frame.
    std::vector<std::uint8_t> got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (got.size() < frame.size() && std::chrono::steady_clock::now() < deadline) {
        bv3::platform::PortStatus status;
        ASSERT_EQ(port->takeStatus(status), 0);
        std::vector<std::uint8_t> buffer(16);
        const auto read = port->read(buffer, 2000);
        ASSERT_EQ(read.status, bv3::platform::IoResult::Status::completed);
        got.insert(got.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(read.count));
    }
    EXPECT_EQ(got, frame);
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
    const auto first = bv3::platform::openSerialPort(port_);
    EXPECT_THROW(bv3::platform::openSerialPort(port_), bv3::platform::SerialOpenFailure);
}

}  // namespace
