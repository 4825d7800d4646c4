#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <system_error>

#include "platform/posix/posix_waitable_event.h"

namespace bv3::platform {

namespace {

void drain(int fd) {
    std::uint64_t value = 0;
    while (::read(fd, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

}  // namespace

WaitableEvent::WaitableEvent(bool manualReset, bool initialState) : impl_(std::make_unique<Impl>()) {
    impl_->manualReset = manualReset;
    impl_->fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (impl_->fd < 0) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
    if (initialState) {
        set();
    }
}

WaitableEvent::~WaitableEvent() {
    ::close(impl_->fd);
}

void WaitableEvent::set() {
    const std::uint64_t one = 1;
    // A full counter (never reached in practice) still leaves the event signalled.
    while (::write(impl_->fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void WaitableEvent::reset() {
    drain(impl_->fd);
}

WaitableEvent::Result WaitableEvent::wait(std::int32_t timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        int remaining = -1;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            remaining = left > 0 ? static_cast<int>(left) : 0;
        }
        pollfd p{impl_->fd, POLLIN, 0};
        const int r = ::poll(&p, 1, remaining);
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            lastError_ = errno;
            return Result::error;
        }
        if (r == 0) {
            return Result::timeout;
        }
        if (impl_->manualReset) {
            return Result::signaled;
        }
        // An auto-reset event belongs to the one waiter that consumes it.
        std::uint64_t value = 0;
        if (::read(impl_->fd, &value, sizeof value) == static_cast<ssize_t>(sizeof value)) {
            return Result::signaled;
        }
    }
}

void raiseCurrentThreadPriority() {
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    const int current = ::getpriority(PRIO_PROCESS, tid);
    // Lowering the nice value needs a privilege most users lack; the thread then keeps its
    // normal priority, which only costs latency.
    (void)::setpriority(PRIO_PROCESS, tid, current - 1);
}

}  // namespace bv3::platform
