#pragma once
// The simulator's end of the line: the controlling side of a new pseudo-terminal, or a
// given serial device. Plain POSIX: the simulator stays free of the toolkit and of the
// library's own serial component, so that it tests that component from the outside.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace bv3::stbsim {

class SimPort {
public:
    // A new pseudo-terminal in raw mode; otherName() is the path the PC side opens.
    static SimPort openPseudoTerminal();
    // An existing device (a real serial port or one end of a null-modem pair), raw, at baud.
    static SimPort openDevice(const std::string& path, unsigned baud);

    SimPort(SimPort&& other) noexcept;
    SimPort& operator=(SimPort&&) = delete;
    SimPort(const SimPort&) = delete;
    SimPort& operator=(const SimPort&) = delete;
    ~SimPort();

    const std::string& otherName() const { return otherName_; }

    // True while nobody holds the other end of a pseudo-terminal open (always false for a device).
    bool otherEndClosed() const;

    // Waits up to timeout for bytes; returns how many were read (0 on time-out), nothing when
    // the line is gone.
    std::optional<std::size_t> read(std::span<std::uint8_t> into, std::chrono::milliseconds timeout);
    void write(std::span<const std::uint8_t> bytes);
    // Throws away whatever has arrived and not been read.
    void discardInput();
    void close();

private:
    SimPort(int fd, std::string otherName, bool pseudoTerminal);
    int fd_;
    std::string otherName_;
    bool pseudoTerminal_;
};

}  // namespace bv3::stbsim
