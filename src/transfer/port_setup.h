#pragma once
// The Setup step shared by both transfer dialogs: the host's port and rate indexes.

#include "serial/comm.h"

#include <cstdint>
#include <optional>
#include <string>

namespace bv3::transfer {

// 0..3 name "Com1".."Com4"; any other index leaves the default device.
std::optional<std::string> deviceNameForIndex(std::uint8_t portIndex);
// 0..4 select 115200, 57600, 38400, 19200, 9600 bit/s; any other index leaves the default rate.
std::optional<serial::TBaudrate> baudRateForIndex(std::uint8_t baudIndex);
// Applies both to a port, leaving the defaults where an index is out of range.
void applyPortIndexes(serial::TComm& comm, std::uint8_t portIndex, std::uint8_t baudIndex);
// The settings every transfer dialog gives its Comm1: all nine events monitored, no options,
// no flow control.
void configureTransferPort(serial::TComm& comm);
// The error box's text when a dialog's port cannot be opened: the component's message says
// only that some port failed, so the port's name goes first ("Com4: Error accessing ...").
std::string portOpenFailureText(const std::string& deviceName, const std::string& message);
// A rate in bit/s as the component's enumeration; empty for a rate it does not know.
std::optional<serial::TBaudrate> baudRateForBits(std::uint32_t bitsPerSecond);

}  // namespace bv3::transfer
