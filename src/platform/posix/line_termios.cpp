#include "platform/posix/line_termios.h"

#include <sys/ioctl.h>

namespace bv3::platform::posix {

namespace {

struct SpeedEntry {
    std::uint32_t rate;
    speed_t code;
};

constexpr SpeedEntry standardSpeeds[] = {
    {50, B50},          {75, B75},         {110, B110},         {134, B134},         {150, B150},
    {200, B200},        {300, B300},       {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},      {4800, B4800},     {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},    {115200, B115200}, {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},  {921600, B921600}, {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}};

}  // namespace

std::optional<speed_t> speedCode(std::uint32_t rate) {
    for (const auto& e : standardSpeeds) {
        if (e.rate == rate) {
            return e.code;
        }
    }
    return std::nullopt;
}

std::uint32_t speedRate(speed_t code) {
    for (const auto& e : standardSpeeds) {
        if (e.code == code) {
            return e.rate;
        }
    }
    return 0;
}

// A Linux terminal opens in cooked mode with XON/XOFF on, which would swallow 0x11 and 0x13
// from binary data and turn CR into LF; a communications port starts raw.
void makeRaw(termios& t) {
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                                        IXANY | INPCK | IMAXBEL);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;
    // One byte satisfies a read, so an empty queue reads as EAGAIN and an end of file (the
    // line hung up) as 0: the two must not look alike.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

bool settingsToTermios(const LineSettings& settings, termios& t) {
    makeRaw(t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[settings.dataBits - 5];
    switch (settings.parity) {
        case Parity::odd:
            t.c_cflag |= PARENB | PARODD;
            break;
        case Parity::even:
            t.c_cflag |= PARENB;
            break;
        case Parity::mark:
            t.c_cflag |= PARENB | PARODD | CMSPAR;
            break;  // mark: the "odd" of stick parity
        case Parity::space:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        case Parity::none:
            break;
    }
    // The UART sends one and a half stop bits for CSTOPB with 5 data bits.
    if (settings.stopBits != StopBits::one) {
        t.c_cflag |= CSTOPB;
    }
    // The terminal's one hardware handshake covers both directions: CTS gates the output and
    // the driver raises RTS while it can take input.
    if (settings.ctsGatesOutput || settings.rts == LineControl::handshake) {
        t.c_cflag |= CRTSCTS;
    }
    if (settings.xonXoffOutput) {
        t.c_iflag |= IXON;
    }
    if (settings.xonXoffInput) {
        t.c_iflag |= IXOFF;
    }
    if (settings.checkParity) {
        t.c_iflag |= INPCK;
    }
    t.c_cc[VSTART] = settings.xonChar;
    t.c_cc[VSTOP] = settings.xoffChar;
    const auto code = speedCode(settings.baudRate);
    ::cfsetispeed(&t, code.value_or(B38400));
    ::cfsetospeed(&t, code.value_or(B38400));
    return code.has_value();
}

LineSettings settingsFromTermios(const termios& t, std::optional<int> modemLines) {
    LineSettings s;
    s.baudRate = speedRate(::cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
        case CS5:
            s.dataBits = 5;
            break;
        case CS6:
            s.dataBits = 6;
            break;
        case CS7:
            s.dataBits = 7;
            break;
        default:
            s.dataBits = 8;
            break;
    }
    if (t.c_cflag & PARENB) {
        const bool odd = (t.c_cflag & PARODD) != 0;
        if (t.c_cflag & CMSPAR) {
            s.parity = odd ? Parity::mark : Parity::space;
        } else {
            s.parity = odd ? Parity::odd : Parity::even;
        }
    }
    if (t.c_cflag & CSTOPB) {
        s.stopBits = s.dataBits == 5 ? StopBits::oneAndAHalf : StopBits::two;
    }
    s.checkParity = (t.c_iflag & INPCK) != 0;
    s.xonXoffOutput = (t.c_iflag & IXON) != 0;
    s.xonXoffInput = (t.c_iflag & IXOFF) != 0;
    s.xonChar = t.c_cc[VSTART];
    s.xoffChar = t.c_cc[VSTOP];
    const bool hardwareHandshake = (t.c_cflag & CRTSCTS) != 0;
    s.ctsGatesOutput = hardwareHandshake;
    if (modemLines) {
        s.dtr = (*modemLines & TIOCM_DTR) ? LineControl::on : LineControl::off;
        s.rts = (*modemLines & TIOCM_RTS) ? LineControl::on : LineControl::off;
    }
    if (hardwareHandshake) {
        s.rts = LineControl::handshake;
    }
    return s;
}

}  // namespace bv3::platform::posix
