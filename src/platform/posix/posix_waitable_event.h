#pragma once
// Inside of the POSIX WaitableEvent: an eventfd, which the serial device's event wait polls
// beside the device.

#include <atomic>

#include "platform/waitable_event.h"

namespace bv3::platform {

struct WaitableEvent::Impl {
    int fd = -1;
    bool manualReset = true;
    // Whether a set may be pending in the counter: lets reset() skip the read when there is
    // nothing to drain, which is the common case after every serial notification.
    std::atomic<bool> maybeSet{false};
};

}  // namespace bv3::platform
