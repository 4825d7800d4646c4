#include "stb-sim/sim_port.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace bv3::stbsim {

namespace {
[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

speed_t speedFor(unsigned baud) {
    switch (baud) {
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            throw std::runtime_error("unsupported baud rate " + std::to_string(baud));
    }
}
}  // namespace

SimPort::SimPort(int fd, std::string otherName, bool pseudoTerminal)
    : fd_(fd), otherName_(std::move(otherName)), pseudoTerminal_(pseudoTerminal) {}

SimPort::SimPort(SimPort&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      otherName_(std::move(other.otherName_)),
      pseudoTerminal_(other.pseudoTerminal_) {}

SimPort::~SimPort() {
    close();
}

SimPort SimPort::openPseudoTerminal() {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master, &slave, name, &raw, nullptr) != 0) {
        fail("cannot open a pseudo-terminal");
    }
    // Until the PC opens its end, an echoing line discipline would bounce our announcement
    // back at us: the pair stays raw. We do not keep the other end open ourselves, so that
    // a hang-up on the PC side is visible.
    ::close(slave);
    return SimPort(master, name, true);
}

SimPort SimPort::openDevice(const std::string& path, unsigned baud) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        fail(path);
    }
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        fail(path);
    }
    cfmakeraw(&settings);
    cfsetispeed(&settings, speedFor(baud));
    cfsetospeed(&settings, speedFor(baud));
    settings.c_cflag |= CLOCAL | CREAD;
    if (tcsetattr(fd, TCSANOW, &settings) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        fail(path);
    }
    return SimPort(fd, path, false);
}

bool SimPort::otherEndClosed() const {
    if (!pseudoTerminal_ || fd_ < 0) {
        return false;
    }
    pollfd p{fd_, 0, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP) != 0;
}

std::optional<std::size_t> SimPort::read(std::span<std::uint8_t> into, std::chrono::milliseconds timeout) {
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(timeout.count()));
    if (ready < 0) {
        if (errno == EINTR) {
            return 0;
        }
        return std::nullopt;
    }
    if (ready == 0) {
        return 0;
    }
    if ((p.revents & POLLIN) == 0) {
        // Only a hang-up: the other side has closed its end.
        return std::nullopt;
    }
    const ssize_t got = ::read(fd_, into.data(), into.size());
    if (got < 0) {
        if (errno == EINTR || errno == EAGAIN) {
            return 0;
        }
        return std::nullopt;
    }
    return static_cast<std::size_t>(got);
}

void SimPort::write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            fail("write to " + otherName_);
        }
        done += static_cast<std::size_t>(put);
    }
}

void SimPort::discardInput() {
    if (fd_ >= 0) {
        tcflush(fd_, TCIFLUSH);
    }
}

void SimPort::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace bv3::stbsim
