// The serial port over a Linux terminal: termios for the line, ioctls for the queues, the
// modem lines and the line-error counters, poll for the wait.
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>

#include "platform/com_port_name.h"
#include "platform/posix/line_termios.h"
#include "platform/posix/posix_waitable_event.h"
#include "platform/posix/termios2_fence.h"
#include "platform/serial_port.h"

namespace bv3::platform {

namespace {

using Clock = std::chrono::steady_clock;

// How long an output-drained event waits for a received byte to share its notification: in a
// lock-step exchange the answer usually arrives within this time, and one hand-off to the UI
// thread then serves both (the handlers still run in their fixed order).
constexpr int txEmptyGraceMs = 2;
// How often the wait looks again while something cannot be waited for directly: an output
// queue that is draining, unread input that must grow before it is news, the modem lines.
constexpr int txDrainTickMs = 2;
constexpr int lingeringInputTickMs = 10;
constexpr int lineSampleTickMs = 20;

constexpr PortEvents lineEvents{PortEvent::breakDetected, PortEvent::ctsChanged,    PortEvent::dsrChanged,
                                PortEvent::lineError,     PortEvent::ringIndicator, PortEvent::carrierChanged};

bool any(PortEvents events) {
    return !events.empty();
}

// Milliseconds left until `deadline`, for poll(); -1 when there is none.
int msLeft(std::optional<Clock::time_point> deadline) {
    if (!deadline) {
        return -1;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

std::optional<Clock::time_point> deadlineAfter(std::int64_t ms) {
    if (ms < 0) {
        return std::nullopt;
    }
    return Clock::now() + std::chrono::milliseconds(ms);
}

class PosixSerialPort final : public SerialPort {
public:
    PosixSerialPort(int fd, std::string path) : fd_(fd), path_(std::move(path)) {
        kick_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        raiseLowLatency();
        serial_icounter_struct counters{};
        haveCounters_ = ::ioctl(fd_, TIOCGICOUNT, &counters) == 0;
        if (haveCounters_) {
            counters_ = counters;
        }
        int lines = 0;
        haveModemLines_ = ::ioctl(fd_, TIOCMGET, &lines) == 0;
        modemLines_ = lines;
    }

    ~PosixSerialPort() override {
        if (savedSerial_) {
            (void)::ioctl(fd_, TIOCSSERIAL, &*savedSerial_);
        }
        (void)::ioctl(fd_, TIOCNXCL);
        ::close(fd_);  // also drops the flock
        if (kick_ >= 0) {
            ::close(kick_);
        }
    }

    int readSettings(LineSettings& settings) override {
        termios t{};
        if (::tcgetattr(fd_, &t) != 0) {
            return errno;
        }
        int lines = 0;
        const bool haveLines = ::ioctl(fd_, TIOCMGET, &lines) == 0;
        settings = posix::settingsFromTermios(t, haveLines ? std::optional<int>(lines) : std::nullopt);
        if (const std::uint32_t custom = posix::customSpeed(fd_); custom != 0) {
            settings.baudRate = custom;
        }
        return 0;
    }

    int applySettings(const LineSettings& settings) override {
        if (settings.dataBits < 5 || settings.dataBits > 8 || settings.baudRate == 0) {
            return EINVAL;
        }
        termios t{};
        if (::tcgetattr(fd_, &t) != 0) {
            return errno;
        }
        const bool customRate = !posix::settingsToTermios(settings, t);
        if (::tcsetattr(fd_, TCSANOW, &t) != 0) {
            return errno;
        }
        if (customRate) {
            if (const int error = posix::setCustomSpeed(fd_, settings.baudRate); error != 0) {
                return error;
            }
        }
        applyModemLines(settings, (t.c_cflag & CRTSCTS) != 0);
        return 0;
    }

    // Linux sizes a terminal's queues itself.
    int setQueueSizes(std::uint32_t, std::uint32_t) override { return 0; }

    int watch(PortEvents events) override {
        watched_.store(events);
        return 0;
    }

    // A line that hung up may refuse the count; the errors must still get through.
    int takeStatus(PortStatus& status) override {
        std::lock_guard lock(snapshot_);
        int queued = 0;
        if (::ioctl(fd_, FIONREAD, &queued) != 0) {
            queued = 0;
        }
        status.inputCount = static_cast<std::uint32_t>(std::max(queued, 0));
        status.errors = pendingErrors_;
        pendingErrors_ = {};
        return 0;
    }

    int purge(PortQueues queues) override {
        const bool tx = queues != PortQueues::input;
        const bool rx = queues != PortQueues::output;
        {
            // The count and the flush are one step for the wait's snapshot.
            std::lock_guard lock(snapshot_);
            int queued = 0;
            const bool counted = rx && ::ioctl(fd_, FIONREAD, &queued) == 0;
            if (::tcflush(fd_, tx && rx ? TCIOFLUSH : (tx ? TCOFLUSH : TCIFLUSH)) != 0) {
                return errno;
            }
            if (counted) {
                consumed_ += static_cast<std::uint64_t>(std::max(queued, 0));
            }
        }
        if (tx) {
            txPending_ = false;
        }
        return 0;
    }

    // The descriptor is non-blocking: what waits is taken at once, so the deadline never
    // comes into play.
    IoResult read(std::span<std::uint8_t> buffer, std::int32_t) override {
        if (buffer.empty()) {
            return {};
        }
        for (;;) {
            std::lock_guard lock(snapshot_);
            const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
            if (n > 0) {
                consumed_ += static_cast<std::uint64_t>(n);
                return {IoResult::Status::completed, static_cast<std::size_t>(n), 0};
            }
            if (n == 0) {
                return {IoResult::Status::failed, 0, EIO};  // end of file: the line hung up
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return {};
            }
            return {IoResult::Status::failed, 0, errno};
        }
    }

    IoResult write(std::span<const std::uint8_t> bytes, std::int32_t timeoutMs) override {
        const auto deadline = deadlineAfter(timeoutMs);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                noteTransmit();
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                return {IoResult::Status::failed, done, errno};
            }
            const int wait = msLeft(deadline);
            if (wait == 0) {
                return {IoResult::Status::timedOut, done, 0};
            }
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, wait) < 0 && errno != EINTR) {
                return {IoResult::Status::failed, done, errno};
            }
        }
        return {IoResult::Status::completed, done, 0};
    }

    bool drainOutput(std::int32_t timeoutMs) override {
        const auto deadline = deadlineAfter(timeoutMs);
        for (;;) {
            int pending = 0;
            if (::ioctl(fd_, TIOCOUTQ, &pending) != 0 || pending <= 0) {
                return true;
            }
            if (msLeft(deadline) == 0) {
                return false;
            }
            ::poll(nullptr, 0, 1);
        }
    }

    WaitResult wait(WaitableEvent& cancel) override {
        const int cancelFd = cancel.impl().fd;
        std::optional<Clock::time_point> drainedSince;
        for (;;) {
            const PortEvents watched = watched_.load();
            const bool txPendingBefore = txPending_.load();
            PortEvents events = takeHangUp(watched);
            bool lingering = false;
            events |= inputEvents(watched, lingering);
            events |= lineSample(watched);
            const bool drained = watched.has(PortEvent::outputDrained) && outputQueueEmpty();
            if (drained && !drainedSince) {
                drainedSince = Clock::now();
            }
            const bool graceOver = drained && Clock::now() - *drainedSince >= std::chrono::milliseconds(txEmptyGraceMs);
            if (any(events) || graceOver) {
                if (drained) {
                    txPending_ = false;
                    events |= PortEvent::outputDrained;
                }
                return {WaitResult::Status::events, events, 0};
            }

            int timeout = -1;
            auto tighten = [&timeout](int ms) { timeout = timeout < 0 ? ms : std::min(timeout, ms); };
            if (drained) {
                tighten(std::max(1, msLeft(*drainedSince + std::chrono::milliseconds(txEmptyGraceMs))));
            } else if (watched.has(PortEvent::outputDrained) && txPending_) {
                // The terminal tells no one when its output queue runs empty: it is looked at.
                tighten(txDrainTickMs);
            }
            const bool watchInput = watched.has(PortEvent::inputAvailable);
            if (watchInput && lingering && !hungUp_) {
                tighten(lingeringInputTickMs);
            }
            if (any(watched & lineEvents) && (haveCounters_ || haveModemLines_) && !hungUp_) {
                tighten(lineSampleTickMs);
            }

            pollfd fds[3] = {{cancelFd, POLLIN, 0}, {kick_, POLLIN, 0}, {fd_, 0, 0}};
            nfds_t count = 2;
            if (!hungUp_) {
                // With input lingering unread, POLLIN would report it over and over; the tick
                // above looks for growth instead. Hang-up is reported whatever we ask for.
                fds[2].events = (watchInput && !lingering && !inputUncountable_) ? POLLIN : 0;
                count = 3;
            }
            // A write wakes the poll below only while we are in it (see noteTransmit); one
            // that came just before is seen here instead.
            waiting_ = true;
            if (watched.has(PortEvent::outputDrained) && !txPendingBefore && txPending_.load()) {
                waiting_ = false;
                continue;
            }
            const int r = ::poll(fds, count, timeout);
            waiting_ = false;
            if (r < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return {WaitResult::Status::failed, {}, errno};
            }
            if (fds[0].revents & POLLIN) {
                return {WaitResult::Status::cancelled, {}, 0};
            }
            if (fds[1].revents & POLLIN) {
                drainKick();  // a write happened; the loop looks at the output queue again
            }
            if (count == 3 && (fds[2].revents & (POLLHUP | POLLERR | POLLNVAL))) {
                noteHangUp();
            }
        }
    }

private:
    // A write while output-drained is watched must reach a wait that is already blocked. In
    // a lock-step exchange the write comes from a handler, while the event thread is not in
    // its wait, and then costs no wake-up.
    void noteTransmit() {
        if (!txPending_.exchange(true) && watched_.load().has(PortEvent::outputDrained) && waiting_.load() &&
            kick_ >= 0) {
            const std::uint64_t one = 1;
            (void)!::write(kick_, &one, sizeof one);
        }
    }

    void drainKick() {
        std::uint64_t value = 0;
        (void)!::read(kick_, &value, sizeof value);
    }

    void noteErrors(LineErrors errors) {
        std::lock_guard lock(snapshot_);
        pendingErrors_ |= errors;
    }

    // The line hung up (the other end of a pseudo-terminal closed, an adapter was pulled):
    // reported once, with the device failure in the line's errors, after which the device is
    // no longer watched, so the wait neither spins on the hang-up nor misses a cancel.
    void noteHangUp() {
        hungUp_ = true;
        hangUpToReport_ = true;
        noteErrors({LineError::deviceFailure});
    }

    PortEvents takeHangUp(PortEvents watched) {
        if (!hangUpToReport_) {
            return {};
        }
        hangUpToReport_ = false;
        return watched & PortEvents{PortEvent::hangUp};
    }

    // Received bytes are news when more have arrived than were seen at the last report;
    // bytes the owner leaves unread are not reported again.
    PortEvents inputEvents(PortEvents watched, bool& lingering) {
        int queued = 0;
        std::uint64_t consumed = 0;
        {
            // The queue and the bytes taken from it are read as one snapshot: a read landing
            // between the two would count its bytes twice, and the bytes after it would then
            // look like nothing new.
            std::lock_guard lock(snapshot_);
            if (::ioctl(fd_, FIONREAD, &queued) != 0) {
                // A device that cannot count its input (a character device that is no
                // terminal) may still poll readable for ever; it is not watched for input any
                // more.
                inputUncountable_ = true;
                return {};
            }
            consumed = consumed_;
        }
        const std::uint64_t arrived = consumed + static_cast<std::uint64_t>(std::max(queued, 0));
        lingering = queued > 0;
        PortEvents events;
        if (arrived > reported_ && watched.has(PortEvent::inputAvailable)) {
            events |= PortEvent::inputAvailable;
        }
        reported_ = arrived;
        return events;
    }

    bool outputQueueEmpty() {
        if (!txPending_) {
            return false;
        }
        int pending = 0;
        return ::ioctl(fd_, TIOCOUTQ, &pending) != 0 || pending == 0;
    }

    // Line errors, breaks and modem-line changes, from the driver's interrupt counters where
    // it keeps them, else from the modem lines themselves.
    PortEvents lineSample(PortEvents watched) {
        if (!any(watched & lineEvents) || hungUp_) {
            return {};
        }
        PortEvents events;
        if (haveCounters_) {
            serial_icounter_struct now{};
            if (::ioctl(fd_, TIOCGICOUNT, &now) == 0) {
                LineErrors errors;
                if (now.frame != counters_.frame)
                    errors |= LineError::framing;
                if (now.parity != counters_.parity)
                    errors |= LineError::parity;
                if (now.overrun != counters_.overrun)
                    errors |= LineError::overrun;
                if (now.buf_overrun != counters_.buf_overrun)
                    errors |= LineError::inputOverflow;
                if (!errors.empty()) {
                    events |= PortEvent::lineError;
                }
                if (now.brk != counters_.brk) {
                    errors |= LineError::breakCondition;
                    events |= PortEvent::breakDetected;
                }
                if (!errors.empty()) {
                    noteErrors(errors);
                }
                if (now.cts != counters_.cts)
                    events |= PortEvent::ctsChanged;
                if (now.dsr != counters_.dsr)
                    events |= PortEvent::dsrChanged;
                if (now.rng != counters_.rng)
                    events |= PortEvent::ringIndicator;
                if (now.dcd != counters_.dcd)
                    events |= PortEvent::carrierChanged;
                counters_ = now;
            }
        } else if (haveModemLines_) {
            int lines = 0;
            if (::ioctl(fd_, TIOCMGET, &lines) == 0) {
                const int changed = lines ^ modemLines_;
                if (changed & TIOCM_CTS)
                    events |= PortEvent::ctsChanged;
                if (changed & TIOCM_DSR)
                    events |= PortEvent::dsrChanged;
                if (changed & TIOCM_RNG)
                    events |= PortEvent::ringIndicator;
                if (changed & TIOCM_CD)
                    events |= PortEvent::carrierChanged;
                modemLines_ = lines;
            }
        }
        return events & watched;
    }

    // DTR is raised for "on" and "handshake" alike (a terminal has no DTR handshake); RTS is
    // the driver's while it runs the hardware handshake.
    void applyModemLines(const LineSettings& settings, bool rtsByDriver) {
        // A pseudo-terminal has no modem lines; the ioctls then fail and nothing is lost.
        int dtr = TIOCM_DTR;
        (void)::ioctl(fd_, settings.dtr == LineControl::off ? TIOCMBIC : TIOCMBIS, &dtr);
        if (!rtsByDriver) {
            int rts = TIOCM_RTS;
            (void)::ioctl(fd_, settings.rts == LineControl::off ? TIOCMBIC : TIOCMBIS, &rts);
        }
    }

    // Asks the driver to hand received bytes on at once instead of batching them (a USB
    // adapter otherwise holds them for milliseconds, and a lock-step transfer pays that on
    // every byte). Drivers without the flag, such as pseudo-terminals, are left as they are.
    void raiseLowLatency() {
        serial_struct info{};
        if (::ioctl(fd_, TIOCGSERIAL, &info) != 0 || (info.flags & ASYNC_LOW_LATENCY)) {
            return;
        }
        const serial_struct saved = info;
        info.flags |= ASYNC_LOW_LATENCY;
        if (::ioctl(fd_, TIOCSSERIAL, &info) == 0) {
            savedSerial_ = saved;
        }
    }

    int fd_;
    int kick_ = -1;  // eventfd: a write woke the wait
    std::string path_;
    std::optional<serial_struct> savedSerial_;

    // Shared between the owner's thread and the waiting thread.
    std::atomic<PortEvents> watched_{PortEvents{}};
    std::atomic<bool> txPending_{false};
    std::atomic<bool> waiting_{false};  // the waiting thread is blocked in poll
    // The line errors not yet taken and the bytes taken from the input queue by read or
    // purge: under snapshot_, with the queue's count, so that takeStatus and the wait each
    // see one moment.
    std::mutex snapshot_;
    LineErrors pendingErrors_;
    std::uint64_t consumed_ = 0;

    // The waiting thread's own.
    std::uint64_t reported_ = 0;
    bool hungUp_ = false;
    bool inputUncountable_ = false;
    bool hangUpToReport_ = false;
    bool haveCounters_ = false;
    serial_icounter_struct counters_{};
    bool haveModemLines_ = false;
    int modemLines_ = 0;
};

std::filesystem::path portsFolder() {
    if (const char* dir = std::getenv("BV3_PORTS_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return std::filesystem::path(home) / ".bv3" / "ports";
    }
    return {};
}

}  // namespace

std::string resolveDeviceName(const std::string& name) {
    const auto n = comPortNumber(name);
    if (!n) {
        return name;
    }
    const std::filesystem::path folder = portsFolder();
    if (!folder.empty()) {
        std::error_code ec;
        // A link that exists but points nowhere is still the one meant: opening it then fails
        // with a reason that names it, instead of silently reaching another port.
        const auto link = folder / ("Com" + std::to_string(*n));
        if (std::filesystem::exists(std::filesystem::symlink_status(link, ec))) {
            return link.string();
        }
    }
    return "/dev/ttyS" + std::to_string(*n - 1);
}

std::unique_ptr<SerialPort> openSerialPort(const std::string& name) {
    const std::string path = resolveDeviceName(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        throw SerialOpenFailure(path, errno, false);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
        ::close(fd);
        throw SerialOpenFailure(path, -1, true);
    }
    // Exclusive use: the advisory lock keeps out every cooperating program (root included);
    // TIOCEXCL keeps out other unprivileged openers of the terminal.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        throw SerialOpenFailure(path, error, false);
    }
    (void)::ioctl(fd, TIOCEXCL);
    termios t{};
    if (::tcgetattr(fd, &t) == 0) {
        posix::makeRaw(t);
        (void)::tcsetattr(fd, TCSANOW, &t);
    }
    try {
        return std::make_unique<PosixSerialPort>(fd, path);
    } catch (...) {
        ::close(fd);
        throw;
    }
}

}  // namespace bv3::platform
