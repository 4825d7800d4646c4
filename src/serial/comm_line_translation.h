#pragma once
// The one place where the component's outer surface (the control block of ControlBlock(),
// event masks, OnError's error word) meets the platform's neutral serial port: each function
// maps one way, member by member. Inside, the component works in the port's own terms.

#include <cstdint>

#include "platform/serial_port.h"
#include "serial/comm_control_block.h"

namespace bv3::serial {

// The line settings a control block asks for. Parity and StopBits out of range read as none
// and one; every flag bit has its own setting, so lineSettingsOf(controlBlockOf(s)) == s.
platform::LineSettings lineSettingsOf(const Dcb& dcb);
// The control block that records `settings` (fBinary always set: the line carries bytes).
Dcb controlBlockOf(const platform::LineSettings& settings);

// The port events that stand for the EV_ bits of `mask`. EV_ERR also covers a hang-up, which
// the component reports as a line error.
platform::PortEvents portEventsOf(std::uint32_t mask);
// The EV_ bits of what a wait reported (a hang-up as EV_ERR).
std::uint32_t commEventMaskOf(platform::PortEvents events);
// The CE_ error word of the line's errors.
std::uint32_t commErrorsOf(platform::LineErrors errors);

}  // namespace bv3::serial
