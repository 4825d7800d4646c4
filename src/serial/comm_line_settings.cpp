#include "serial/comm_line_settings.h"

namespace bv3::serial {

namespace {

using platform::LineControl;
using platform::PortEvent;

// A handshake is added to a modem line's control as a bit of its two-bit field: a line held
// high (on) with a handshake added reads as toggle, as the driver's field does.
LineControl withHandshake(LineControl control) {
    return static_cast<LineControl>(static_cast<unsigned>(control) | static_cast<unsigned>(LineControl::handshake));
}

}  // namespace

void applyFlowControl(platform::LineSettings& s, TFlowControl flow) {
    switch (flow) {
        case TFlowControl::fcNone:
            s.checkParity = s.ctsGatesOutput = s.dsrGatesOutput = s.dsrGatesInput = false;
            s.sendAfterXoff = s.xonXoffOutput = s.xonXoffInput = false;
            s.replaceErrorBytes = s.discardNulls = s.stopOnError = false;
            s.dtr = s.rts = LineControl::off;
            break;
        case TFlowControl::fcCTS:
            s.ctsGatesOutput = true;
            s.rts = withHandshake(s.rts);
            break;
        case TFlowControl::fcDTR:
            s.dsrGatesOutput = true;
            s.dtr = withHandshake(s.dtr);
            break;
        case TFlowControl::fcSoftware:
            s.xonXoffOutput = s.xonXoffInput = true;
            break;
        case TFlowControl::fcDefault:
            break;
    }
}

void applyOptions(platform::LineSettings& s, TCommOptions options) {
    s.checkParity = options.Contains(TCommOption::coParityCheck);
    s.dsrGatesInput = options.Contains(TCommOption::coDsrSensitivity);
    s.sendAfterXoff = options.Contains(TCommOption::coIgnoreXOff);
    s.replaceErrorBytes = options.Contains(TCommOption::coErrorChar);
    s.discardNulls = options.Contains(TCommOption::coNullStrip);
}

platform::PortEvents watchedEventsOf(TCommEventTypes events) {
    struct Watched {
        TCommEventType type;
        platform::PortEvents events;
    };
    static constexpr Watched table[] = {
        {TCommEventType::evBreak, {PortEvent::breakDetected}},
        {TCommEventType::evCts, {PortEvent::ctsChanged}},
        {TCommEventType::evDsr, {PortEvent::dsrChanged}},
        {TCommEventType::evError, {PortEvent::lineError, PortEvent::hangUp}},
        {TCommEventType::evRing, {PortEvent::ringIndicator}},
        {TCommEventType::evRlsd, {PortEvent::carrierChanged}},
        {TCommEventType::evRxChar, {PortEvent::inputAvailable}},
        {TCommEventType::evRxFlag, {PortEvent::eventCharReceived}},
        {TCommEventType::evTxEmpty, {PortEvent::outputDrained}},
    };
    platform::PortEvents watched;
    for (const Watched& w : table) {
        if (events.Contains(w.type)) {
            watched |= w.events;
        }
    }
    return watched;
}

}  // namespace bv3::serial
