#pragma once
// How line settings map onto a Linux terminal's settings and back. Kept apart from the port so
// the mapping can be checked bit by bit: a pseudo-terminal, where tests run, forces 8 data
// bits and no parity whatever it is told, and has no modem lines.

#include <termios.h>

#include <cstdint>
#include <optional>

#include "platform/serial_port.h"

namespace bv3::platform::posix {

// The raw, handshake-free line a communications port starts with.
void makeRaw(termios& t);

// Writes the settings' rate, framing, handshakes and XON/XOFF characters into `t`, on top of a
// raw line. Returns false when the rate has no B-constant; `t` then carries 38400 and the
// caller sets the real rate through the kernel's termios2. dataBits must be 5..8.
// A terminal has no place for DSR flow control, error-byte replacement, null stripping or
// stopping on errors: those settings are not honoured.
bool settingsToTermios(const LineSettings& settings, termios& t);

// The settings a terminal holds in `t` (the rate as its B-constant says; 0 when none does).
// `modemLines` are the TIOCM_ bits when the device has modem lines.
LineSettings settingsFromTermios(const termios& t, std::optional<int> modemLines);

std::optional<speed_t> speedCode(std::uint32_t rate);
std::uint32_t speedRate(speed_t code);

}  // namespace bv3::platform::posix
