#pragma once
// Inside of the POSIX WaitableEvent: an eventfd, which the serial device's event wait polls
// beside the device.

#include "platform/waitable_event.h"

namespace bv3::platform {

struct WaitableEvent::Impl {
    int fd = -1;
    bool manualReset = true;
};

}  // namespace bv3::platform
