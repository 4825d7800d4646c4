#pragma once
// Pseudo-terminal pairs and small helpers for the serial tests: the component opens the slave
// by its path, the test plays the other end on the master.

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace bv3::serial::testing {

class PtyPair {
public:
    PtyPair() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        path_ = name;
    }
    ~PtyPair() {
        closeMaster();
        if (slave_ >= 0) {
            ::close(slave_);
        }
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& path() const { return path_; }
    int master() const { return master_; }
    // The test's own handle on the slave side, for reading the terminal's settings back.
    int slave() const { return slave_; }

    termios slaveSettings() const {
        termios t{};
        if (::tcgetattr(slave_, &t) != 0) {
            throw std::runtime_error("tcgetattr failed");
        }
        return t;
    }

    void send(const std::vector<std::uint8_t>& bytes) const {
        if (::write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
            throw std::runtime_error("write to the pty master failed");
        }
    }

    // Reads from the master until `count` bytes came or `timeout` passed.
    std::vector<std::uint8_t> receive(std::size_t count,
                                      std::chrono::milliseconds timeout = std::chrono::milliseconds(2000)) const {
        std::vector<std::uint8_t> got;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) {
                continue;
            }
            std::uint8_t buffer[4096];
            const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0) {
                break;
            }
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

    void closeMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// How many file descriptors the process holds: a failed or closed open must give back all.
inline int openFdCount() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir) != nullptr) {
            ++count;
        }
        ::closedir(dir);
    }
    return count;
}

// How many threads the process runs: an event thread must be gone once Close has returned.
inline int threadCount() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/task")) {
        while (const dirent* entry = ::readdir(dir)) {
            count += entry->d_name[0] != '.' ? 1 : 0;
        }
        ::closedir(dir);
    }
    return count;
}

// Calls `pump` until `done` holds or `timeout` passes; returns whether it holds.
inline bool pumpUntil(const std::function<void()>& pump, const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        pump();
    }
    return true;
}

}  // namespace bv3::serial::testing
