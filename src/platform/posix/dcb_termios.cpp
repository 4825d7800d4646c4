#include "platform/posix/dcb_termios.h"

namespace bv3::platform::posix {

namespace {

using namespace dcbflag;

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

bool dcbToTermios(const Dcb& dcb, termios& t) {
    makeRaw(t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[dcb.ByteSize - 5];
    switch (dcb.Parity) {
        case 1:
            t.c_cflag |= PARENB | PARODD;
            break;
        case 2:
            t.c_cflag |= PARENB;
            break;
        case 3:
            t.c_cflag |= PARENB | PARODD | CMSPAR;
            break;  // mark: the "odd" of stick parity
        case 4:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    // The UART sends one and a half stop bits for CSTOPB with 5 data bits.
    if (dcb.StopBits != 0) {
        t.c_cflag |= CSTOPB;
    }
    if ((dcb.Flags & fOutxCtsFlow) || (dcb.Flags & fRtsControlMask) == RTS_CONTROL_HANDSHAKE) {
        t.c_cflag |= CRTSCTS;
    }
    if (dcb.Flags & fOutX) {
        t.c_iflag |= IXON;
    }
    if (dcb.Flags & fInX) {
        t.c_iflag |= IXOFF;
    }
    if (dcb.Flags & fParity) {
        t.c_iflag |= INPCK;
    }
    t.c_cc[VSTART] = dcb.XonChar;
    t.c_cc[VSTOP] = dcb.XoffChar;
    const auto code = speedCode(dcb.BaudRate);
    ::cfsetispeed(&t, code.value_or(B38400));
    ::cfsetospeed(&t, code.value_or(B38400));
    return code.has_value();
}

}  // namespace bv3::platform::posix
