#pragma once
// The component's properties in the port's own terms: the flow control and the options
// written into the line settings, and the monitored event types as the port events watched.
// The component keeps its line as platform::LineSettings; only its outer surface (the
// control block of ControlBlock(), OnError's error word) speaks in control-block terms.

#include "platform/serial_port.h"
#include "serial/comm_types.h"

namespace bv3::serial {

// The modem-line and XON/XOFF settings `flow` asks for. fcNone clears every flag setting and
// holds DTR and RTS low; fcDefault keeps what the settings have; the others add their
// handshake to what is there.
void applyFlowControl(platform::LineSettings& settings, TFlowControl flow);
// Sets or clears the setting of each of the five options.
void applyOptions(platform::LineSettings& settings, TCommOptions options);
// The port events that stand for the monitored types; evError also covers a hang-up, which
// the component reports as a line error.
platform::PortEvents watchedEventsOf(TCommEventTypes events);

}  // namespace bv3::serial
