#pragma once
// A hint for people, not part of the component's messages: what to do when a port would not
// open. The bv3 tool prints it below the component's own message.

#include <string>

#include "serial/comm_error.h"

namespace bv3::serial {

// Names the device the port name reached and, for the usual causes (no permission, busy, no
// such device), what helps. Empty when there is nothing to add.
std::string OpenFailureHint(const ECommError& error, const std::string& deviceName);

}  // namespace bv3::serial
