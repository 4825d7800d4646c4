// We cannot include <asm/termbits.h> together with <termios.h> or <sys/ioctl.h>: both sides
// define struct termios and its constants differently. So this file includes only the kernel
// header and declares ioctl itself.
#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <cerrno>

#include "platform/posix/termios2_fence.h"

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace bv3::platform::posix {

int setCustomSpeed(int fd, std::uint32_t rate) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) {
        return errno;
    }
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = rate;
    t.c_ospeed = rate;
    if (ioctl(fd, TCSETS2, &t) != 0) {
        return errno;
    }
    return 0;
}

std::uint32_t customSpeed(int fd) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0 || (t.c_cflag & CBAUD) != BOTHER) {
        return 0;
    }
    return t.c_ospeed;
}

}  // namespace bv3::platform::posix
