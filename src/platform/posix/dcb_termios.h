#pragma once
// How a control block maps onto a Linux terminal's settings. Kept apart from the device so the
// mapping can be checked bit by bit: a pseudo-terminal, where tests run, forces 8 data bits
// and no parity whatever it is told, and has no modem lines.

#include <termios.h>

#include <cstdint>
#include <optional>

#include "platform/serial_device.h"

namespace bv3::platform::posix {

// The raw, handshake-free line a communications port starts with.
void makeRaw(termios& t);

// Writes the block's rate, framing, handshakes and XON/XOFF characters into `t`, on top of a
// raw line. Returns false when the rate has no B-constant; `t` then carries 38400 and the
// caller sets the real rate through the kernel's termios2. The block must be valid (ByteSize
// 5..8, Parity 0..4, StopBits 0..2).
bool dcbToTermios(const Dcb& dcb, termios& t);

std::optional<speed_t> speedCode(std::uint32_t rate);
std::uint32_t speedRate(speed_t code);

}  // namespace bv3::platform::posix
