// The serial device over a Linux terminal: termios for the line, ioctls for the queues, the
// modem lines and the line-error counters, poll for the event wait.
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
#include "platform/posix/dcb_termios.h"
#include "platform/posix/posix_waitable_event.h"
#include "platform/posix/termios2_fence.h"
#include "platform/serial_device.h"

namespace bv3::platform {

namespace {

using namespace dcbflag;
using namespace commevent;
using namespace commerror;
using Clock = std::chrono::steady_clock;

// How long a transmit-empty event waits for a received byte to share its notification: in a
// lock-step exchange the answer usually arrives within this time, and one hand-off to the UI
// thread then serves both (the handlers still run in their fixed order).
constexpr int txEmptyGraceMs = 2;
// How often the wait looks again while something cannot be waited for directly: an output
// queue that is draining, unread input that must grow before it is news, the modem lines.
constexpr int txDrainTickMs = 2;
constexpr int lingeringInputTickMs = 10;
constexpr int lineSampleTickMs = 20;

constexpr std::uint32_t lineEvents = EV_BREAK | EV_CTS | EV_DSR | EV_ERR | EV_RING | EV_RLSD;

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

class PosixSerialDevice final : public SerialDevice {
public:
    PosixSerialDevice(int fd, std::string path) : fd_(fd), path_(std::move(path)) {
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

    ~PosixSerialDevice() override {
        if (savedSerial_) {
            (void)::ioctl(fd_, TIOCSSERIAL, &*savedSerial_);
        }
        (void)::ioctl(fd_, TIOCNXCL);
        ::close(fd_);  // also drops the flock
        if (kick_ >= 0) {
            ::close(kick_);
        }
    }

    int getState(Dcb& dcb) override {
        termios t{};
        if (::tcgetattr(fd_, &t) != 0) {
            return errno;
        }
        dcb = recorded_;
        const std::uint32_t custom = posix::customSpeed(fd_);
        dcb.BaudRate = custom != 0 ? custom : posix::speedRate(::cfgetospeed(&t));
        switch (t.c_cflag & CSIZE) {
            case CS5:
                dcb.ByteSize = 5;
                break;
            case CS6:
                dcb.ByteSize = 6;
                break;
            case CS7:
                dcb.ByteSize = 7;
                break;
            default:
                dcb.ByteSize = 8;
                break;
        }
        dcb.Parity = 0;
        if (t.c_cflag & PARENB) {
            const bool odd = (t.c_cflag & PARODD) != 0;
            if (t.c_cflag & CMSPAR) {
                dcb.Parity = odd ? 3 : 4;
            } else {
                dcb.Parity = odd ? 1 : 2;
            }
        }
        dcb.StopBits = (t.c_cflag & CSTOPB) ? (dcb.ByteSize == 5 ? 1 : 2) : 0;

        // Bits termios has no place for keep what was last written; the rest are read back.
        std::uint32_t flags = (recorded_.Flags & (fOutxDsrFlow | fDsrSensitivity | fTXContinueOnXoff | fErrorChar |
                                                  fNull | fAbortOnError | fDtrControlMask | fRtsControlMask));
        flags |= fBinary;
        if (t.c_iflag & INPCK) {
            flags |= fParity;
        }
        if (t.c_iflag & IXON) {
            flags |= fOutX;
        }
        if (t.c_iflag & IXOFF) {
            flags |= fInX;
        }
        if (t.c_cflag & CRTSCTS) {
            flags = (flags & ~fRtsControlMask) | fOutxCtsFlow | RTS_CONTROL_HANDSHAKE;
        }
        int lines = 0;
        if (!haveRecorded_ && ::ioctl(fd_, TIOCMGET, &lines) == 0) {
            if (lines & TIOCM_DTR) {
                flags |= DTR_CONTROL_ENABLE;
            }
            if ((lines & TIOCM_RTS) && !(t.c_cflag & CRTSCTS)) {
                flags |= RTS_CONTROL_ENABLE;
            }
        }
        dcb.Flags = flags;
        dcb.XonChar = t.c_cc[VSTART];
        dcb.XoffChar = t.c_cc[VSTOP];
        return 0;
    }

    int setState(const Dcb& dcb) override {
        if (dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > 4 || dcb.StopBits > 2 || dcb.BaudRate == 0) {
            return EINVAL;
        }
        termios t{};
        if (::tcgetattr(fd_, &t) != 0) {
            return errno;
        }
        const bool customRate = !posix::dcbToTermios(dcb, t);
        if (::tcsetattr(fd_, TCSANOW, &t) != 0) {
            return errno;
        }
        if (customRate) {
            if (const int error = posix::setCustomSpeed(fd_, dcb.BaudRate); error != 0) {
                return error;
            }
        }
        applyModemLines(dcb.Flags, (t.c_cflag & CRTSCTS) != 0);
        recorded_ = dcb;
        haveRecorded_ = true;
        return 0;
    }

    int setTimeouts(const CommTimeouts& timeouts) override {
        timeouts_ = timeouts;
        return 0;
    }

    // Linux sizes a terminal's queues itself; the request is recorded only.
    int setupQueues(std::int32_t inQueue, std::int32_t outQueue) override {
        if (inQueue < 0 || outQueue < 0) {
            return EINVAL;
        }
        return 0;
    }

    int setCommMask(std::uint32_t mask) override {
        mask_.store(mask);
        return 0;
    }

    // A line that hung up may refuse the count; the error word must still get through.
    int clearError(CommStatus& status) override {
        int queued = 0;
        if (::ioctl(fd_, FIONREAD, &queued) != 0) {
            queued = 0;
        }
        status.inQueue = static_cast<std::uint32_t>(std::max(queued, 0));
        status.errors = pendingErrors_.exchange(0);
        return 0;
    }

    int purge(std::uint32_t flags) override {
        const bool tx = flags & (purgeflag::PURGE_TXABORT | purgeflag::PURGE_TXCLEAR);
        const bool rx = flags & (purgeflag::PURGE_RXABORT | purgeflag::PURGE_RXCLEAR);
        if (!tx && !rx) {
            return 0;
        }
        {
            // The count and the flush are one step for the event wait's snapshot.
            std::lock_guard lock(inputCount_);
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

    IoResult read(std::span<std::uint8_t> buffer, std::int32_t timeoutMs) override {
        if (buffer.empty()) {
            return {};
        }
        const bool returnAtOnce = timeouts_.ReadIntervalTimeout == 0xFFFFFFFFu &&
                                  timeouts_.ReadTotalTimeoutMultiplier == 0 && timeouts_.ReadTotalTimeoutConstant == 0;
        if (returnAtOnce) {
            return readWaiting(buffer);
        }
        // Driver time-outs other than "return at once": gather until the buffer is full, the
        // driver's total time-out ends the read, or the caller's wait ends first.
        const std::uint64_t driverMs =
            std::uint64_t{timeouts_.ReadTotalTimeoutMultiplier} * buffer.size() + timeouts_.ReadTotalTimeoutConstant;
        const auto driverDeadline = driverMs == 0 ? std::nullopt : deadlineAfter(static_cast<std::int64_t>(driverMs));
        const auto callerDeadline = deadlineAfter(timeoutMs);
        std::size_t done = 0;
        while (done < buffer.size()) {
            IoResult part = readWaiting(buffer.subspan(done));
            if (part.status == IoResult::Status::failed) {
                return part;
            }
            done += part.count;
            if (done == buffer.size()) {
                break;
            }
            const bool driverFirst = driverDeadline && (!callerDeadline || *driverDeadline <= *callerDeadline);
            const int wait = msLeft(driverFirst ? driverDeadline : callerDeadline);
            if (wait == 0) {
                if (driverFirst) {
                    break;
                }
                return {IoResult::Status::timedOut, done, 0};
            }
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, wait) < 0 && errno != EINTR) {
                return {IoResult::Status::failed, done, errno};
            }
        }
        return {IoResult::Status::completed, done, 0};
    }

    IoResult write(std::span<const std::uint8_t> bytes, std::int32_t timeoutMs) override {
        const std::uint64_t driverMs =
            std::uint64_t{timeouts_.WriteTotalTimeoutMultiplier} * bytes.size() + timeouts_.WriteTotalTimeoutConstant;
        const auto driverDeadline = driverMs == 0 ? std::nullopt : deadlineAfter(static_cast<std::int64_t>(driverMs));
        const auto callerDeadline = deadlineAfter(timeoutMs);
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
            const bool driverFirst = driverDeadline && (!callerDeadline || *driverDeadline <= *callerDeadline);
            const int wait = msLeft(driverFirst ? driverDeadline : callerDeadline);
            if (wait == 0) {
                if (driverFirst) {
                    break;
                }
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

    WaitResult waitCommEvent(WaitableEvent& wake) override {
        const int wakeFd = wake.impl().fd;
        std::optional<Clock::time_point> txEmptySince;
        for (;;) {
            const std::uint32_t mask = mask_.load();
            const bool txPendingBefore = txPending_.load();
            std::uint32_t events = takeHangUp(mask);
            bool lingering = false;
            events |= inputEvents(mask, lingering);
            events |= lineSample(mask);
            const bool txEmpty = (mask & EV_TXEMPTY) && transmitQueueEmpty();
            if (txEmpty && !txEmptySince) {
                txEmptySince = Clock::now();
            }
            const bool graceOver = txEmpty && Clock::now() - *txEmptySince >= std::chrono::milliseconds(txEmptyGraceMs);
            if (events != 0 || graceOver) {
                if (txEmpty) {
                    txPending_ = false;
                    events |= EV_TXEMPTY;
                }
                return {WaitResult::Status::events, events, 0};
            }

            int timeout = -1;
            auto tighten = [&timeout](int ms) { timeout = timeout < 0 ? ms : std::min(timeout, ms); };
            if (txEmpty) {
                tighten(std::max(1, msLeft(*txEmptySince + std::chrono::milliseconds(txEmptyGraceMs))));
            } else if ((mask & EV_TXEMPTY) && txPending_) {
                tighten(txDrainTickMs);
            }
            const bool watchInput = (mask & (EV_RXCHAR | EV_RXFLAG)) != 0;
            if (watchInput && lingering && !hungUp_) {
                tighten(lingeringInputTickMs);
            }
            if ((mask & lineEvents) && (haveCounters_ || haveModemLines_) && !hungUp_) {
                tighten(lineSampleTickMs);
            }

            pollfd fds[3] = {{wakeFd, POLLIN, 0}, {kick_, POLLIN, 0}, {fd_, 0, 0}};
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
            if ((mask & EV_TXEMPTY) && !txPendingBefore && txPending_.load()) {
                waiting_ = false;
                continue;
            }
            const int r = ::poll(fds, count, timeout);
            waiting_ = false;
            if (r < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return {WaitResult::Status::failed, 0, errno};
            }
            if (fds[0].revents & POLLIN) {
                return {WaitResult::Status::woken, 0, 0};
            }
            if (fds[1].revents & POLLIN) {
                drainKick();  // a write happened; the loop looks at the transmit queue again
            }
            if (count == 3 && (fds[2].revents & (POLLHUP | POLLERR | POLLNVAL))) {
                noteHangUp();
            }
        }
    }

private:
    // A write while transmit-empty is watched must reach a wait that is already blocked. In
    // a lock-step exchange the write comes from a handler, while the event thread is not in
    // its wait, and then costs no wake-up.
    void noteTransmit() {
        if (!txPending_.exchange(true) && (mask_.load() & EV_TXEMPTY) && waiting_.load() && kick_ >= 0) {
            const std::uint64_t one = 1;
            (void)!::write(kick_, &one, sizeof one);
        }
    }

    void drainKick() {
        std::uint64_t value = 0;
        (void)!::read(kick_, &value, sizeof value);
    }

    // The line hung up (the other end of a pseudo-terminal closed, an adapter was pulled):
    // reported once as a line error, after which the device is no longer watched, so the wait
    // neither spins on the hang-up nor misses Close.
    void noteHangUp() {
        hungUp_ = true;
        hangUpToReport_ = true;
        pendingErrors_ |= CE_IOE;
    }

    std::uint32_t takeHangUp(std::uint32_t mask) {
        if (!hangUpToReport_) {
            return 0;
        }
        hangUpToReport_ = false;
        return mask & EV_ERR;
    }

    // Received bytes are news when more have arrived than were seen at the last report;
    // bytes the owner leaves unread are not reported again.
    std::uint32_t inputEvents(std::uint32_t mask, bool& lingering) {
        int queued = 0;
        std::uint64_t consumed = 0;
        {
            // The queue and the bytes taken from it are read as one snapshot: a read landing
            // between the two would count its bytes twice, and the bytes after it would then
            // look like nothing new.
            std::lock_guard lock(inputCount_);
            if (::ioctl(fd_, FIONREAD, &queued) != 0) {
                // A device that cannot count its input (a character device that is no
                // terminal) may still poll readable for ever; it is not watched for input any
                // more.
                inputUncountable_ = true;
                return 0;
            }
            consumed = consumed_;
        }
        const std::uint64_t arrived = consumed + static_cast<std::uint64_t>(std::max(queued, 0));
        lingering = queued > 0;
        std::uint32_t events = 0;
        if (arrived > reported_ && (mask & EV_RXCHAR)) {
            events |= EV_RXCHAR;
        }
        reported_ = arrived;
        return events;
    }

    bool transmitQueueEmpty() {
        if (!txPending_) {
            return false;
        }
        int pending = 0;
        return ::ioctl(fd_, TIOCOUTQ, &pending) != 0 || pending == 0;
    }

    // Line errors, breaks and modem-line changes, from the driver's interrupt counters where
    // it keeps them, else from the modem lines themselves.
    std::uint32_t lineSample(std::uint32_t mask) {
        if (!(mask & lineEvents) || hungUp_) {
            return 0;
        }
        std::uint32_t events = 0;
        if (haveCounters_) {
            serial_icounter_struct now{};
            if (::ioctl(fd_, TIOCGICOUNT, &now) == 0) {
                std::uint32_t errors = 0;
                if (now.frame != counters_.frame)
                    errors |= CE_FRAME;
                if (now.parity != counters_.parity)
                    errors |= CE_RXPARITY;
                if (now.overrun != counters_.overrun)
                    errors |= CE_OVERRUN;
                if (now.buf_overrun != counters_.buf_overrun)
                    errors |= CE_RXOVER;
                if (now.brk != counters_.brk) {
                    errors |= CE_BREAK;
                    events |= EV_BREAK;
                }
                if (errors & ~CE_BREAK) {
                    events |= EV_ERR;
                }
                pendingErrors_ |= errors;
                if (now.cts != counters_.cts)
                    events |= EV_CTS;
                if (now.dsr != counters_.dsr)
                    events |= EV_DSR;
                if (now.rng != counters_.rng)
                    events |= EV_RING;
                if (now.dcd != counters_.dcd)
                    events |= EV_RLSD;
                counters_ = now;
            }
        } else if (haveModemLines_) {
            int lines = 0;
            if (::ioctl(fd_, TIOCMGET, &lines) == 0) {
                const int changed = lines ^ modemLines_;
                if (changed & TIOCM_CTS)
                    events |= EV_CTS;
                if (changed & TIOCM_DSR)
                    events |= EV_DSR;
                if (changed & TIOCM_RNG)
                    events |= EV_RING;
                if (changed & TIOCM_CD)
                    events |= EV_RLSD;
                modemLines_ = lines;
            }
        }
        return events & mask;
    }

    IoResult readWaiting(std::span<std::uint8_t> buffer) {
        for (;;) {
            std::lock_guard lock(inputCount_);
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

    void applyModemLines(std::uint32_t flags, bool rtsByDriver) {
        // A pseudo-terminal has no modem lines; the ioctls then fail and nothing is lost.
        int dtr = TIOCM_DTR;
        (void)::ioctl(fd_, (flags & fDtrControlMask) == 0 ? TIOCMBIC : TIOCMBIS, &dtr);
        if (!rtsByDriver) {
            int rts = TIOCM_RTS;
            (void)::ioctl(fd_, (flags & fRtsControlMask) == 0 ? TIOCMBIC : TIOCMBIS, &rts);
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
    int kick_ = -1;  // eventfd: a write woke the event wait
    std::string path_;
    Dcb recorded_{};
    bool haveRecorded_ = false;
    CommTimeouts timeouts_{};
    std::optional<serial_struct> savedSerial_;

    // Shared between the owner's thread and the event thread.
    std::atomic<std::uint32_t> mask_{0};
    std::atomic<bool> txPending_{false};
    std::atomic<bool> waiting_{false};  // the event thread is blocked in poll
    std::atomic<std::uint32_t> pendingErrors_{0};
    // Bytes taken from the input queue by read or purge; with the queue's count under
    // inputCount_, so that the event wait sees both at one moment.
    std::mutex inputCount_;
    std::uint64_t consumed_ = 0;

    // The event thread's own.
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

std::unique_ptr<SerialDevice> openSerialDevice(const std::string& name) {
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
        return std::make_unique<PosixSerialDevice>(fd, path);
    } catch (...) {
        ::close(fd);
        throw;
    }
}

}  // namespace bv3::platform
