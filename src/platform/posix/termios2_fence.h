#pragma once
// Rates without a B-constant (14400, 56000, 128000, 256000 ...) need the kernel's termios2,
// whose header cannot live beside <termios.h>; termios2_fence.cpp is the only file that sees it.

#include <cstdint>

namespace bv3::platform::posix {

// Sets both directions to `rate` bits per second; 0 or errno.
int setCustomSpeed(int fd, std::uint32_t rate);
// The output rate when the terminal holds a custom one, else 0.
std::uint32_t customSpeed(int fd);

}  // namespace bv3::platform::posix
