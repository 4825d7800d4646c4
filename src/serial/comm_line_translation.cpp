#include "serial/comm_line_translation.h"

namespace bv3::serial {

namespace {

using platform::LineControl;
using platform::LineError;
using platform::PortEvent;
using namespace dcbflag;
using namespace commevent;
using namespace commerror;

bool has(std::uint32_t flags, std::uint32_t bit) {
    return (flags & bit) != 0;
}

// The two-bit DTR and RTS fields: 0 off, 1 on, 2 handshake, 3 toggle (RTS only).
LineControl lineControlOf(std::uint32_t field) {
    static constexpr LineControl controls[] = {LineControl::off, LineControl::on, LineControl::handshake,
                                               LineControl::toggle};
    return controls[field & 3u];
}

std::uint32_t fieldOf(LineControl control) {
    return static_cast<std::uint32_t>(control) & 3u;
}

struct EventBit {
    std::uint32_t bit;
    PortEvent event;
};

// The order of the EV_ bits; a hang-up is added to EV_ERR apart.
constexpr EventBit eventBits[] = {
    {EV_RXCHAR, PortEvent::inputAvailable}, {EV_RXFLAG, PortEvent::eventCharReceived},
    {EV_TXEMPTY, PortEvent::outputDrained}, {EV_CTS, PortEvent::ctsChanged},
    {EV_DSR, PortEvent::dsrChanged},        {EV_RLSD, PortEvent::carrierChanged},
    {EV_BREAK, PortEvent::breakDetected},   {EV_ERR, PortEvent::lineError},
    {EV_RING, PortEvent::ringIndicator},
};

struct ErrorBit {
    LineError error;
    std::uint32_t bit;
};

constexpr ErrorBit errorBits[] = {
    {LineError::inputOverflow, CE_RXOVER},   {LineError::overrun, CE_OVERRUN},
    {LineError::parity, CE_RXPARITY},        {LineError::framing, CE_FRAME},
    {LineError::breakCondition, CE_BREAK},   {LineError::outputOverflow, CE_TXFULL},
    {LineError::deviceFailure, CE_IOE},      {LineError::unsupportedMode, CE_MODE},
};

}  // namespace

platform::LineSettings lineSettingsOf(const Dcb& dcb) {
    platform::LineSettings s;
    s.baudRate = dcb.BaudRate;
    s.dataBits = dcb.ByteSize;
    s.parity = dcb.Parity <= 4 ? static_cast<platform::Parity>(dcb.Parity) : platform::Parity::none;
    s.stopBits = dcb.StopBits <= 2 ? static_cast<platform::StopBits>(dcb.StopBits) : platform::StopBits::one;
    s.checkParity = has(dcb.Flags, fParity);
    s.ctsGatesOutput = has(dcb.Flags, fOutxCtsFlow);
    s.dsrGatesOutput = has(dcb.Flags, fOutxDsrFlow);
    s.dtr = lineControlOf((dcb.Flags & fDtrControlMask) >> 4);
    s.rts = lineControlOf((dcb.Flags & fRtsControlMask) >> 12);
    s.xonXoffOutput = has(dcb.Flags, fOutX);
    s.xonXoffInput = has(dcb.Flags, fInX);
    s.sendAfterXoff = has(dcb.Flags, fTXContinueOnXoff);
    s.xonChar = dcb.XonChar;
    s.xoffChar = dcb.XoffChar;
    s.xonLimit = dcb.XonLim;
    s.xoffLimit = dcb.XoffLim;
    s.dsrGatesInput = has(dcb.Flags, fDsrSensitivity);
    s.replaceErrorBytes = has(dcb.Flags, fErrorChar);
    s.errorChar = dcb.ErrorChar;
    s.discardNulls = has(dcb.Flags, fNull);
    s.stopOnError = has(dcb.Flags, fAbortOnError);
    s.eofChar = dcb.EofChar;
    s.eventChar = dcb.EvtChar;
    return s;
}

Dcb controlBlockOf(const platform::LineSettings& s) {
    const auto flag = [](bool on, std::uint32_t bit) { return on ? bit : 0u; };
    Dcb dcb;
    dcb.BaudRate = s.baudRate;
    dcb.ByteSize = s.dataBits;
    dcb.Parity = static_cast<std::uint8_t>(s.parity);
    dcb.StopBits = static_cast<std::uint8_t>(s.stopBits);
    dcb.Flags = fBinary | flag(s.checkParity, fParity) | flag(s.ctsGatesOutput, fOutxCtsFlow) |
                flag(s.dsrGatesOutput, fOutxDsrFlow) | (fieldOf(s.dtr) << 4 & fDtrControlMask) |
                flag(s.dsrGatesInput, fDsrSensitivity) | flag(s.sendAfterXoff, fTXContinueOnXoff) |
                flag(s.xonXoffOutput, fOutX) | flag(s.xonXoffInput, fInX) | flag(s.replaceErrorBytes, fErrorChar) |
                flag(s.discardNulls, fNull) | (fieldOf(s.rts) << 12) | flag(s.stopOnError, fAbortOnError);
    dcb.XonLim = s.xonLimit;
    dcb.XoffLim = s.xoffLimit;
    dcb.XonChar = s.xonChar;
    dcb.XoffChar = s.xoffChar;
    dcb.ErrorChar = s.errorChar;
    dcb.EofChar = s.eofChar;
    dcb.EvtChar = s.eventChar;
    return dcb;
}

platform::PortEvents portEventsOf(std::uint32_t mask) {
    platform::PortEvents events;
    for (const EventBit& e : eventBits) {
        if (has(mask, e.bit)) {
            events |= e.event;
        }
    }
    if (has(mask, EV_ERR)) {
        events |= PortEvent::hangUp;
    }
    return events;
}

std::uint32_t commEventMaskOf(platform::PortEvents events) {
    std::uint32_t mask = 0;
    for (const EventBit& e : eventBits) {
        if (events.has(e.event)) {
            mask |= e.bit;
        }
    }
    if (events.has(PortEvent::hangUp)) {
        mask |= EV_ERR;
    }
    return mask;
}

std::uint32_t commErrorsOf(platform::LineErrors errors) {
    std::uint32_t word = 0;
    for (const ErrorBit& e : errorBits) {
        if (errors.has(e.error)) {
            word |= e.bit;
        }
    }
    return word;
}

}  // namespace bv3::serial
