// The component's control block, event mask and error word against the neutral serial port.
#include <gtest/gtest.h>

#include "serial/comm_line_translation.h"

namespace bv3::serial {
namespace {

using namespace dcbflag;
using namespace commevent;
using namespace commerror;
using platform::LineControl;
using platform::LineError;
using platform::LineSettings;
using platform::PortEvent;
using platform::PortEvents;

// Each flag-word bit, field and character reaches its own setting.
TEST(SerialTranslation, ControlBlockToLineSettings) {
    struct Case {
        const char* what;
        std::uint32_t flags;
        bool (*holds)(const LineSettings&);
    };
    const Case cases[] = {
        {"fParity", fParity, [](const LineSettings& s) { return s.checkParity; }},
        {"fOutxCtsFlow", fOutxCtsFlow, [](const LineSettings& s) { return s.ctsGatesOutput; }},
        {"fOutxDsrFlow", fOutxDsrFlow, [](const LineSettings& s) { return s.dsrGatesOutput; }},
        {"DTR enable", DTR_CONTROL_ENABLE, [](const LineSettings& s) { return s.dtr == LineControl::on; }},
        {"DTR handshake", DTR_CONTROL_HANDSHAKE, [](const LineSettings& s) { return s.dtr == LineControl::handshake; }},
        {"fDsrSensitivity", fDsrSensitivity, [](const LineSettings& s) { return s.dsrGatesInput; }},
        {"fTXContinueOnXoff", fTXContinueOnXoff, [](const LineSettings& s) { return s.sendAfterXoff; }},
        {"fOutX", fOutX, [](const LineSettings& s) { return s.xonXoffOutput; }},
        {"fInX", fInX, [](const LineSettings& s) { return s.xonXoffInput; }},
        {"fErrorChar", fErrorChar, [](const LineSettings& s) { return s.replaceErrorBytes; }},
        {"fNull", fNull, [](const LineSettings& s) { return s.discardNulls; }},
        {"RTS enable", RTS_CONTROL_ENABLE, [](const LineSettings& s) { return s.rts == LineControl::on; }},
        {"RTS handshake", RTS_CONTROL_HANDSHAKE, [](const LineSettings& s) { return s.rts == LineControl::handshake; }},
        {"RTS toggle", RTS_CONTROL_TOGGLE, [](const LineSettings& s) { return s.rts == LineControl::toggle; }},
        {"fAbortOnError", fAbortOnError, [](const LineSettings& s) { return s.stopOnError; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Dcb dcb;
        dcb.Flags = fBinary | c.flags;
        const LineSettings alone = lineSettingsOf(dcb);
        EXPECT_TRUE(c.holds(alone));
        EXPECT_EQ(controlBlockOf(alone), dcb);  // nothing else was set, nothing is lost
        dcb.Flags = fBinary;
        EXPECT_FALSE(c.holds(lineSettingsOf(dcb)));
    }

    Dcb dcb;
    dcb.BaudRate = 56000;
    dcb.ByteSize = 7;
    dcb.Parity = 3;
    dcb.StopBits = 1;
    dcb.XonLim = 1024;
    dcb.XoffLim = 512;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.ErrorChar = 0x3F;
    dcb.EofChar = 0x1A;
    dcb.EvtChar = 0x0A;
    dcb.Flags = fBinary | fOutX | fInX | DTR_CONTROL_ENABLE | RTS_CONTROL_ENABLE;
    const LineSettings s = lineSettingsOf(dcb);
    EXPECT_EQ(s.baudRate, 56000u);
    EXPECT_EQ(s.dataBits, 7);
    EXPECT_EQ(s.parity, platform::Parity::mark);
    EXPECT_EQ(s.stopBits, platform::StopBits::oneAndAHalf);
    EXPECT_EQ(s.xonLimit, 1024);
    EXPECT_EQ(s.xoffLimit, 512);
    EXPECT_EQ(s.errorChar, 0x3F);
    EXPECT_EQ(s.eofChar, 0x1A);
    EXPECT_EQ(s.eventChar, 0x0A);
    EXPECT_EQ(controlBlockOf(s), dcb);

    // A block without fBinary is still a binary line: the record gets the bit.
    dcb.Flags = fOutX;
    EXPECT_EQ(controlBlockOf(lineSettingsOf(dcb)).Flags, fBinary | fOutX);
}

TEST(SerialTranslation, EventMaskBothWays) {
    struct Case {
        std::uint32_t bit;
        PortEvent event;
    };
    const Case cases[] = {
        {EV_RXCHAR, PortEvent::inputAvailable}, {EV_RXFLAG, PortEvent::eventCharReceived},
        {EV_TXEMPTY, PortEvent::outputDrained}, {EV_CTS, PortEvent::ctsChanged},
        {EV_DSR, PortEvent::dsrChanged},        {EV_RLSD, PortEvent::carrierChanged},
        {EV_BREAK, PortEvent::breakDetected},   {EV_RING, PortEvent::ringIndicator},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bit);
        EXPECT_EQ(portEventsOf(c.bit), PortEvents{c.event});
        EXPECT_EQ(commEventMaskOf({c.event}), c.bit);
    }
    // A line error and a hang-up are both EV_ERR to the component.
    EXPECT_EQ(portEventsOf(EV_ERR), (PortEvents{PortEvent::lineError, PortEvent::hangUp}));
    EXPECT_EQ(commEventMaskOf({PortEvent::lineError}), EV_ERR);
    EXPECT_EQ(commEventMaskOf({PortEvent::hangUp}), EV_ERR);
    EXPECT_EQ(commEventMaskOf(portEventsOf(0x01FF)), 0x01FFu);
    EXPECT_TRUE(portEventsOf(0).empty());
    EXPECT_EQ(commEventMaskOf({}), 0u);
}

TEST(SerialTranslation, LineErrorsToTheErrorWord) {
    struct Case {
        LineError error;
        std::uint32_t bit;
    };
    const Case cases[] = {
        {LineError::inputOverflow, CE_RXOVER}, {LineError::overrun, CE_OVERRUN},
        {LineError::parity, CE_RXPARITY},      {LineError::framing, CE_FRAME},
        {LineError::breakCondition, CE_BREAK}, {LineError::outputOverflow, CE_TXFULL},
        {LineError::deviceFailure, CE_IOE},    {LineError::unsupportedMode, CE_MODE},
    };
    std::uint32_t all = 0;
    platform::LineErrors errors;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bit);
        EXPECT_EQ(commErrorsOf({c.error}), c.bit);
        all |= c.bit;
        errors |= c.error;
    }
    EXPECT_EQ(commErrorsOf(errors), all);
    EXPECT_EQ(commErrorsOf({}), 0u);
}

}  // namespace
}  // namespace bv3::serial
