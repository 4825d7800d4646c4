#pragma once
// The serial component's own terms for its line and its events: the device control block with
// its flag word, the event-mask bits its handlers are selected by, and the bits of the error
// word OnError receives. Hosts and the transfer sessions see these values; the platform's
// serial port does not (comm_line_translation.h maps between the two).

#include <cstdint>

namespace bv3::serial {

// Bits of the control block's flag word.
namespace dcbflag {
inline constexpr std::uint32_t fBinary = 0x0001;
inline constexpr std::uint32_t fParity = 0x0002;
inline constexpr std::uint32_t fOutxCtsFlow = 0x0004;
inline constexpr std::uint32_t fOutxDsrFlow = 0x0008;
inline constexpr std::uint32_t fDtrControlMask = 0x0030;  // two-bit field
inline constexpr std::uint32_t DTR_CONTROL_ENABLE = 0x0010;
inline constexpr std::uint32_t DTR_CONTROL_HANDSHAKE = 0x0020;
inline constexpr std::uint32_t fDsrSensitivity = 0x0040;
inline constexpr std::uint32_t fTXContinueOnXoff = 0x0080;
inline constexpr std::uint32_t fOutX = 0x0100;
inline constexpr std::uint32_t fInX = 0x0200;
inline constexpr std::uint32_t fErrorChar = 0x0400;
inline constexpr std::uint32_t fNull = 0x0800;
inline constexpr std::uint32_t fRtsControlMask = 0x3000;  // two-bit field
inline constexpr std::uint32_t RTS_CONTROL_ENABLE = 0x1000;
inline constexpr std::uint32_t RTS_CONTROL_HANDSHAKE = 0x2000;
inline constexpr std::uint32_t RTS_CONTROL_TOGGLE = 0x3000;
inline constexpr std::uint32_t fAbortOnError = 0x4000;
}  // namespace dcbflag

// Communication event bits: MonitorEvents as a mask, and what one notification carries.
namespace commevent {
inline constexpr std::uint32_t EV_RXCHAR = 0x0001;
inline constexpr std::uint32_t EV_RXFLAG = 0x0002;
inline constexpr std::uint32_t EV_TXEMPTY = 0x0004;
inline constexpr std::uint32_t EV_CTS = 0x0008;
inline constexpr std::uint32_t EV_DSR = 0x0010;
inline constexpr std::uint32_t EV_RLSD = 0x0020;
inline constexpr std::uint32_t EV_BREAK = 0x0040;
inline constexpr std::uint32_t EV_ERR = 0x0080;
inline constexpr std::uint32_t EV_RING = 0x0100;
}  // namespace commevent

// Bits of the error word OnError receives.
namespace commerror {
inline constexpr std::uint32_t CE_RXOVER = 0x0001;    // input queue overflowed
inline constexpr std::uint32_t CE_OVERRUN = 0x0002;   // the UART lost a character
inline constexpr std::uint32_t CE_RXPARITY = 0x0004;  // parity error
inline constexpr std::uint32_t CE_FRAME = 0x0008;     // framing error
inline constexpr std::uint32_t CE_BREAK = 0x0010;     // break condition
inline constexpr std::uint32_t CE_TXFULL = 0x0100;    // a write found the output queue full
inline constexpr std::uint32_t CE_IOE = 0x0400;       // the device failed or went away (hang-up)
inline constexpr std::uint32_t CE_MODE = 0x8000;      // the requested mode is not supported
}  // namespace commerror

// The device control block: the line settings as the component records them.
struct Dcb {
    std::uint32_t BaudRate = 0;  // bits per second
    std::uint32_t Flags = 0;     // dcbflag bits
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 8;  // 4..8
    std::uint8_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
    std::uint8_t XonChar = 0;
    std::uint8_t XoffChar = 0;
    std::uint8_t ErrorChar = 0;
    std::uint8_t EofChar = 0;
    std::uint8_t EvtChar = 0;

    bool operator==(const Dcb&) const = default;
};

}  // namespace bv3::serial
