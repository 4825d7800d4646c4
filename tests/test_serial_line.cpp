// Line settings: the control block the component builds, and what reaches the terminal.
#include <gtest/gtest.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cstdlib>
#include <ctime>
#include <thread>

#include <functional>

#include "platform/manual_ui_thread.h"
#include "platform/posix/line_termios.h"
#include "platform/posix/termios2_fence.h"
#include "serial/comm.h"
#include "serial_fake_device.h"
#include "serial_test_support.h"

namespace bv3::serial {
namespace {

using namespace dcbflag;
using testing::FakeComm;
using testing::FakeScript;
using testing::PtyPair;

class SerialLine : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = platform::setUiThread(&ui_);
        comm_.SetDeviceName(pty_.path());
        comm_.SetMonitorEvents({});
    }
    void TearDown() override {
        comm_.Close();
        platform::setUiThread(previous_);
    }

    std::uint32_t rateOnTerminal() {
        const std::uint32_t custom = platform::posix::customSpeed(pty_.slave());
        if (custom != 0) {
            return custom;
        }
        const speed_t code = ::cfgetospeed(&settings());
        const std::pair<speed_t, std::uint32_t> table[] = {
            {B110, 110},   {B300, 300},     {B600, 600},     {B1200, 1200},   {B2400, 2400},     {B4800, 4800},
            {B9600, 9600}, {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200},
        };
        for (auto [c, rate] : table) {
            if (c == code) {
                return rate;
            }
        }
        return 0;
    }
    const termios& settings() {
        current_ = pty_.slaveSettings();
        return current_;
    }

    platform::ManualUiThread ui_;
    platform::UiThread* previous_ = nullptr;
    PtyPair pty_;
    TComm comm_;
    termios current_{};
};

TEST_F(SerialLine, EveryBaudRateReachesTheTerminalAtOnce) {
    comm_.Open();
    for (unsigned i = 0; i < 15; ++i) {
        const auto rate = static_cast<TBaudrate>(i);
        SCOPED_TRACE(BaudRateValue(rate));
        comm_.SetBaudRate(rate);
        EXPECT_EQ(comm_.ControlBlock().BaudRate, BaudRateValue(rate));
        EXPECT_EQ(rateOnTerminal(), BaudRateValue(rate));
    }
}

TEST_F(SerialLine, SettingsMadeWhileClosedAreAppliedByOpen) {
    comm_.SetBaudRate(TBaudrate::br115200);
    comm_.SetParity(TParity::paOdd);
    comm_.SetDatabits(TDatabits::da7);
    comm_.SetStopbits(TStopbits::sb20);
    EXPECT_EQ(rateOnTerminal(), 38400u);  // the pty's own default: nothing applied yet
    comm_.Open();
    EXPECT_EQ(rateOnTerminal(), 115200u);
    EXPECT_EQ(comm_.ControlBlock().ByteSize, 7);
    EXPECT_EQ(comm_.ControlBlock().Parity, 1);
    EXPECT_EQ(comm_.ControlBlock().StopBits, 2);
    // A pseudo-terminal keeps the parity sense and the stop bits, but forces CS8 and clears
    // PARENB; the full framing is checked on the mapping below.
    const termios& t = settings();
    EXPECT_TRUE(t.c_cflag & PARODD);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
}

TEST_F(SerialLine, FramingReachesTheControlBlockAndTheTerminal) {
    comm_.Open();
    // Even parity is missing: a pseudo-terminal drops PARENB, and a request whose only change
    // is dropped fails with EINVAL. The mapping test covers it.
    const std::pair<TParity, tcflag_t> parities[] = {
        {TParity::paOdd, PARODD}, {TParity::paMark, PARODD | CMSPAR}, {TParity::paSpace, CMSPAR}, {TParity::paNone, 0}};
    for (const auto& [parity, kept] : parities) {
        SCOPED_TRACE(static_cast<int>(parity));
        comm_.SetParity(parity);
        EXPECT_EQ(comm_.ControlBlock().Parity, static_cast<std::uint8_t>(parity));
        EXPECT_EQ(settings().c_cflag & (PARODD | CMSPAR), kept);
    }
    // A pseudo-terminal refuses 6 and 7 data bits (EINVAL); the mapping test covers them.
    for (const TDatabits bits : {TDatabits::da5, TDatabits::da8}) {
        comm_.SetDatabits(bits);
        EXPECT_EQ(comm_.ControlBlock().ByteSize, 4 + static_cast<int>(bits));
    }
    for (const TStopbits s : {TStopbits::sb15, TStopbits::sb20, TStopbits::sb10}) {
        comm_.SetStopbits(s);
        EXPECT_EQ(comm_.ControlBlock().StopBits, static_cast<std::uint8_t>(s));
        EXPECT_EQ((settings().c_cflag & CSTOPB) != 0, s != TStopbits::sb10);
    }
}

// Line settings as the terminal settings of a real UART, and read back from them.
TEST(SerialTermiosMapping, FramingAndHandshakeBits) {
    using platform::LineControl;
    using platform::LineSettings;
    using platform::Parity;
    using platform::StopBits;
    const auto with = [](auto change) {
        LineSettings s;
        change(s);
        return s;
    };
    struct Case {
        const char* what;
        LineSettings settings;
        tcflag_t cflag;  // within CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS
        tcflag_t iflag;  // within IXON | IXOFF | INPCK
        bool readsBack;  // settingsFromTermios gives the same settings
    };
    const Case cases[] = {
        {"8N1", LineSettings{}, CS8, 0, true},
        {"7E1", with([](LineSettings& s) { s.dataBits = 7, s.parity = Parity::even; }), CS7 | PARENB, 0, true},
        {"7O2", with([](LineSettings& s) { s.dataBits = 7, s.parity = Parity::odd, s.stopBits = StopBits::two; }),
         CS7 | PARENB | PARODD | CSTOPB, 0, true},
        {"5 data, 1.5 stop", with([](LineSettings& s) { s.dataBits = 5, s.stopBits = StopBits::oneAndAHalf; }),
         CS5 | CSTOPB, 0, true},
        {"6 mark", with([](LineSettings& s) { s.dataBits = 6, s.parity = Parity::mark; }),
         CS6 | PARENB | PARODD | CMSPAR, 0, true},
        {"8 space", with([](LineSettings& s) { s.parity = Parity::space; }), CS8 | PARENB | CMSPAR, 0, true},
        {"CTS and RTS handshake",
         with([](LineSettings& s) { s.ctsGatesOutput = true, s.rts = LineControl::handshake; }), CS8 | CRTSCTS, 0,
         true},
        {"CTS alone", with([](LineSettings& s) { s.ctsGatesOutput = true; }), CS8 | CRTSCTS, 0, false},
        {"RTS handshake alone", with([](LineSettings& s) { s.rts = LineControl::handshake; }), CS8 | CRTSCTS, 0, false},
        {"RTS toggle is no handshake", with([](LineSettings& s) { s.rts = LineControl::toggle; }), CS8, 0, false},
        {"XON/XOFF", with([](LineSettings& s) { s.xonXoffOutput = true, s.xonXoffInput = true; }), CS8, IXON | IXOFF,
         true},
        {"parity check", with([](LineSettings& s) { s.parity = Parity::even, s.checkParity = true; }), CS8 | PARENB,
         INPCK, true},
        {"no place in a terminal",
         with([](LineSettings& s) {
             s.dsrGatesOutput = s.dsrGatesInput = s.discardNulls = s.stopOnError = s.replaceErrorBytes = true;
         }),
         CS8, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LineSettings settings = c.settings;
        settings.xonChar = 0x21;
        settings.xoffChar = 0x23;
        termios t{};
        t.c_iflag = ICRNL | IXON | IXANY;  // what a cooked terminal brings along
        t.c_lflag = ICANON | ECHO | ISIG;
        t.c_cflag = CS8 | PARENB | CRTSCTS;
        EXPECT_TRUE(platform::posix::settingsToTermios(settings, t));
        EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS), c.cflag);
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK | IXANY | ICRNL), c.iflag);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_TRUE(t.c_cflag & CLOCAL);
        EXPECT_EQ(t.c_cc[VMIN], 1);
        EXPECT_EQ(t.c_cc[VSTART], 0x21);
        EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));
        // A terminal without modem lines reads DTR and RTS as off unless the driver runs RTS.
        EXPECT_EQ(platform::posix::settingsFromTermios(t, std::nullopt) == settings, c.readsBack);
    }
    LineSettings custom;
    custom.baudRate = 56000;
    termios t{};
    EXPECT_FALSE(platform::posix::settingsToTermios(custom, t));  // needs termios2

    // The modem lines as the device reports them.
    termios plain{};
    platform::posix::settingsToTermios(LineSettings{}, plain);
    const LineSettings lines = platform::posix::settingsFromTermios(plain, TIOCM_DTR | TIOCM_RTS);
    EXPECT_EQ(lines.dtr, LineControl::on);
    EXPECT_EQ(lines.rts, LineControl::on);
}

// A Linux terminal has no four-bit characters: the device refuses the block, the component
// raises and the line keeps its last good settings.
TEST_F(SerialLine, FourDataBitsAreRefusedByTheDevice) {
    comm_.Open();
    try {
        comm_.SetDatabits(TDatabits::da4);
        FAIL() << "no error";
    } catch (const ECommError& e) {
        EXPECT_STREQ(e.what(), "Error updating DataControlBlock (Error: 22) ");
    }
    EXPECT_EQ(settings().c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_TRUE(comm_.IsOpen());
}

// A terminal opens cooked, with XON/XOFF on; the port must start raw and without handshake,
// or fcDefault would eat 0x11/0x13 from the receiver's binary data.
TEST_F(SerialLine, TheDefaultFlowControlStartsFromARawLine) {
    comm_.Open();
    const termios& t = settings();
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP | INPCK));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_EQ(comm_.ControlBlock().Flags, fBinary);
}

// The flag word each flow control leaves, from a device that reports DTR and RTS enabled and
// every option bit set; the options step then clears the options, none being chosen.
TEST_F(SerialLine, FlowControlTableOfTheFlagWord) {
    const std::uint32_t options = 0x0002 | 0x0040 | 0x0080 | 0x0400 | 0x0800;
    const std::uint32_t device = fBinary | DTR_CONTROL_ENABLE | RTS_CONTROL_ENABLE;
    struct Case {
        TFlowControl flow;
        std::uint32_t flags;
    };
    const Case cases[] = {
        {TFlowControl::fcNone, 0x0001},
        {TFlowControl::fcCTS, device | 0x0004 | 0x2000},
        {TFlowControl::fcDTR, device | 0x0008 | 0x0020},
        {TFlowControl::fcSoftware, device | 0x0100 | 0x0200},
        {TFlowControl::fcDefault, device},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.flow));
        auto script = std::make_shared<FakeScript>();
        script->reported.Flags = device | options;
        FakeComm fake(script);
        fake.SetFlowControl(c.flow);
        fake.Open();
        EXPECT_EQ(fake.ControlBlock().Flags, c.flags);

        Dcb dcb;  // ApplyFlowControl alone leaves the option bits to the next step
        dcb.Flags = device | options;
        fake.ApplyFlowControl(dcb);
        EXPECT_EQ(dcb.Flags, c.flow == TFlowControl::fcNone ? 0x0001u : (c.flags | options));
    }
}

TEST_F(SerialLine, FlowControlReachesTheTerminal) {
    comm_.Open();
    comm_.EventChars().SetXonChar(0x21);
    comm_.EventChars().SetXoffChar(0x22);
    comm_.SetFlowControl(TFlowControl::fcSoftware);
    EXPECT_EQ(comm_.ControlBlock().Flags, fBinary | fOutX | fInX);
    termios t = settings();
    EXPECT_TRUE(t.c_iflag & IXON);
    EXPECT_TRUE(t.c_iflag & IXOFF);
    EXPECT_EQ(t.c_cc[VSTART], 0x21);
    EXPECT_EQ(t.c_cc[VSTOP], 0x22);

    comm_.SetFlowControl(TFlowControl::fcCTS);  // adds to what the device reports
    t = settings();
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_TRUE(t.c_iflag & IXON);

    comm_.SetFlowControl(TFlowControl::fcNone);  // only fBinary remains: no handshake at all
    EXPECT_EQ(comm_.ControlBlock().Flags, fBinary);
    t = settings();
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF));
}

TEST_F(SerialLine, EachOptionSetsOrClearsExactlyItsBit) {
    comm_.SetFlowControl(TFlowControl::fcNone);
    comm_.Open();
    const TCommOptions all{TCommOption::coParityCheck, TCommOption::coDsrSensitivity, TCommOption::coIgnoreXOff,
                           TCommOption::coErrorChar, TCommOption::coNullStrip};
    comm_.SetOptions(all);
    EXPECT_EQ(comm_.ControlBlock().Flags, 0x0001u | 0x0002 | 0x0040 | 0x0080 | 0x0400 | 0x0800);
    EXPECT_TRUE(settings().c_iflag & INPCK);
    for (unsigned i = 0; i < 5; ++i) {
        const auto option = static_cast<TCommOption>(i);
        SCOPED_TRACE(i);
        TCommOptions without = all;
        without.Exclude(option);
        comm_.SetOptions(without);
        EXPECT_EQ(comm_.ControlBlock().Flags,
                  (0x0001u | 0x0002 | 0x0040 | 0x0080 | 0x0400 | 0x0800) & ~OptionFlag(option));
        comm_.SetOptions({option});
        EXPECT_EQ(comm_.ControlBlock().Flags, 0x0001u | OptionFlag(option));
    }
    comm_.SetOptions({});
    EXPECT_FALSE(settings().c_iflag & INPCK);
}

TEST_F(SerialLine, XonAndXoffLimitsFollowTheReadQueueSize) {
    for (const auto& [size, limit] : {std::pair{4096, 1024}, std::pair{1000, 250}, std::pair{3, 0}}) {
        SCOPED_TRACE(size);
        comm_.SetReadBufSize(size);
        comm_.Open();
        EXPECT_EQ(comm_.ControlBlock().XonLim, limit);
        EXPECT_EQ(comm_.ControlBlock().XoffLim, limit);
        comm_.Close();
    }
}

TEST_F(SerialLine, EventCharsReachTheBlockAndAssignAppliesNothing) {
    comm_.Open();
    auto& chars = comm_.EventChars();
    chars.SetErrorChar(0x3F);
    chars.SetEofChar(0x1A);
    chars.SetEvtChar(0x0A);
    EXPECT_EQ(comm_.ControlBlock().ErrorChar, 0x3F);
    EXPECT_EQ(comm_.ControlBlock().EofChar, 0x1A);
    EXPECT_EQ(comm_.ControlBlock().EvtChar, 0x0A);

    TCommEventChars other;
    other.SetXonChar(0x01);
    other.SetXoffChar(0x02);
    chars.Assign(other);
    EXPECT_EQ(chars.XonChar(), 0x01);
    EXPECT_EQ(chars.EvtChar(), 0);
    EXPECT_EQ(comm_.ControlBlock().XonChar, 17);  // not applied yet
    EXPECT_EQ(settings().c_cc[VSTART], 17);
    comm_.ApplyLineSettings();
    EXPECT_EQ(settings().c_cc[VSTART], 0x01);
    EXPECT_EQ(settings().c_cc[VSTOP], 0x02);
}

TEST_F(SerialLine, SettingAnUnchangedValueNeverReachesTheDevice) {
    auto script = std::make_shared<FakeScript>();
    FakeComm fake(script);
    fake.Open();
    script->applyError = 5;  // any write of the block would now raise
    EXPECT_NO_THROW(fake.SetBaudRate(fake.BaudRate()));
    EXPECT_NO_THROW(fake.SetParity(fake.Parity()));
    EXPECT_NO_THROW(fake.SetStopbits(fake.Stopbits()));
    EXPECT_NO_THROW(fake.SetDatabits(fake.Databits()));
    EXPECT_NO_THROW(fake.SetOptions(fake.Options()));
    EXPECT_NO_THROW(fake.SetFlowControl(fake.FlowControl()));
    EXPECT_THROW(fake.SetBaudRate(TBaudrate::br300), ECommError);
    EXPECT_EQ(fake.BaudRate(), TBaudrate::br300);  // the property holds the new value regardless
}

}  // namespace
}  // namespace bv3::serial

namespace bv3::serial {
namespace {

int serialFlags(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY);
    serial_struct info{};
    const int r = fd >= 0 ? ::ioctl(fd, TIOCGSERIAL, &info) : -1;
    if (fd >= 0) {
        ::close(fd);
    }
    return r == 0 ? info.flags : -1;
}

// Needs a real serial device (a pty has no low-latency flag): set BV3_TEST_SERIAL_PORT to one.
TEST(SerialLowLatency, AskedForWhileOpenAndRestoredOnClose) {
    const char* port = std::getenv("BV3_TEST_SERIAL_PORT");
    if (port == nullptr || *port == '\0') {
        GTEST_SKIP() << "set BV3_TEST_SERIAL_PORT to a serial device";
    }
    const int before = serialFlags(port);
    ASSERT_GE(before, 0) << "no serial driver behind " << port;
    platform::ManualUiThread ui;
    platform::UiThread* previous = platform::setUiThread(&ui);
    {
        TComm comm;
        comm.SetDeviceName(port);
        comm.Open();
        // A second handle sees the driver's flags; only root gets past our TIOCEXCL for it.
        const int during = serialFlags(port);
        ASSERT_GE(during, 0) << "cannot look at the open device (needs root)";
        EXPECT_TRUE(during & ASYNC_LOW_LATENCY);
        // The modem lines and error counters are sampled now and then, never in a tight loop.
        timespec start{}, end{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &start);
        ui.pump(std::chrono::milliseconds(300));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &end);
        EXPECT_LT((end.tv_sec - start.tv_sec) * 1000 + (end.tv_nsec - start.tv_nsec) / 1000000, 60);
        comm.Close();
    }
    EXPECT_EQ(serialFlags(port), before);
    platform::setUiThread(previous);
}

}  // namespace
}  // namespace bv3::serial
