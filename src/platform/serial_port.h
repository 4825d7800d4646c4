#pragma once
// The serial port seam, in the terms a serial line has on any OS: the line's settings (speed,
// framing, flow control, modem lines), reads and writes bounded by a deadline, one wait for
// what can happen on the line, a consistent snapshot of the line's errors and input count,
// and purging the queues. One backend per OS (posix/, win32/) implements it with the OS's own
// interface; nothing here carries another OS's numbers.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

namespace bv3::platform {

class WaitableEvent;

// A set of enumeration members, one bit each (at most 32 members).
template <typename E>
class FlagSet {
public:
    constexpr FlagSet() = default;
    constexpr FlagSet(std::initializer_list<E> members) {
        for (E m : members) {
            bits_ |= bit(m);
        }
    }
    constexpr bool has(E m) const { return (bits_ & bit(m)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr FlagSet& operator|=(FlagSet other) {
        bits_ |= other.bits_;
        return *this;
    }
    constexpr FlagSet& operator|=(E m) {
        bits_ |= bit(m);
        return *this;
    }
    friend constexpr FlagSet operator|(FlagSet a, FlagSet b) { return a |= b; }
    friend constexpr FlagSet operator&(FlagSet a, FlagSet b) {
        a.bits_ &= b.bits_;
        return a;
    }
    constexpr bool operator==(const FlagSet&) const = default;

private:
    static constexpr std::uint32_t bit(E m) { return 1u << static_cast<unsigned>(m); }
    std::uint32_t bits_ = 0;
};

enum class Parity : std::uint8_t { none, odd, even, mark, space };
enum class StopBits : std::uint8_t { one, oneAndAHalf, two };
// How the port drives a modem output line (DTR or RTS): held low, held high, raised while
// the port can take input (a handshake), or raised while bytes go out (RTS only).
enum class LineControl : std::uint8_t { off, on, handshake, toggle };

struct LineSettings {
    std::uint32_t baudRate = 9600;
    std::uint8_t dataBits = 8;  // 4..8; a device refuses what it cannot send
    Parity parity = Parity::none;
    StopBits stopBits = StopBits::one;
    bool checkParity = false;  // received bytes are checked against the parity bit

    // Output flow control by the modem lines and by XON/XOFF.
    bool ctsGatesOutput = false;
    bool dsrGatesOutput = false;
    LineControl dtr = LineControl::off;
    LineControl rts = LineControl::off;
    bool xonXoffOutput = false;  // output stops on XOFF, resumes on XON
    bool xonXoffInput = false;   // the port sends XOFF/XON as its input queue fills and empties
    bool sendAfterXoff = false;  // output goes on after the port itself sent XOFF
    std::uint8_t xonChar = 0x11;
    std::uint8_t xoffChar = 0x13;
    std::uint16_t xonLimit = 0;   // input bytes left when XON is sent
    std::uint16_t xoffLimit = 0;  // free input room left when XOFF is sent

    // Handling of received bytes.
    bool dsrGatesInput = false;  // bytes arriving while DSR is low are dropped
    bool replaceErrorBytes = false;
    std::uint8_t errorChar = 0;  // replaces a byte received with a parity error
    bool discardNulls = false;
    bool stopOnError = false;  // reads and writes fail after a line error until it is taken
    std::uint8_t eofChar = 0;
    std::uint8_t eventChar = 0;  // its arrival is PortEvent::eventCharReceived

    bool operator==(const LineSettings&) const = default;
};

// What a wait can report.
enum class PortEvent : std::uint8_t {
    inputAvailable,     // bytes arrived that were not reported before
    eventCharReceived,  // LineSettings::eventChar arrived
    outputDrained,      // the last byte written has left the output queue
    ctsChanged,
    dsrChanged,
    carrierChanged,
    ringIndicator,
    breakDetected,
    lineError,  // see PortStatus::errors
    hangUp      // the line went away (the other end closed, an adapter was pulled)
};
using PortEvents = FlagSet<PortEvent>;

enum class LineError : std::uint8_t {
    inputOverflow,   // the input queue was full
    overrun,         // the UART lost a character
    parity,
    framing,
    breakCondition,
    outputOverflow,  // a write found the output queue full
    deviceFailure,   // the device failed or hung up
    unsupportedMode  // the device does not support the requested mode
};
using LineErrors = FlagSet<LineError>;

// One moment's view of the line: the errors since the last snapshot (cleared by taking it)
// and the bytes waiting in the input queue.
struct PortStatus {
    LineErrors errors;
    std::uint32_t inputCount = 0;
};

// The outcome of a read or a write. `error` is the platform's error number when failed.
struct IoResult {
    enum class Status { completed, timedOut, failed };
    Status status = Status::completed;
    std::size_t count = 0;
    int error = 0;
};

// The outcome of one wait.
struct WaitResult {
    enum class Status { events, cancelled, failed };
    Status status = Status::cancelled;
    PortEvents events;  // when status is events: never empty
    int error = 0;      // when failed: the platform's error number
};

enum class PortQueues : std::uint8_t { input, output, both };

// One open serial port. Every operation but wait() is called from one thread (the owner's);
// wait() is called from one other thread and may run concurrently with them. Operations
// returning int give 0 on success, else the platform's error number. Destroying the port
// closes it.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    SerialPort() = default;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // The settings the line has now (what the device holds; settings it has no place for
    // read as their defaults).
    virtual int readSettings(LineSettings& settings) = 0;
    // Applies every setting the device can honour; a device that cannot carry the speed or
    // the framing refuses the whole request and keeps its settings.
    virtual int applySettings(const LineSettings& settings) = 0;
    // Asks for input and output queues of these sizes; a platform that sizes its queues
    // itself takes it as advice.
    virtual int setQueueSizes(std::uint32_t inputBytes, std::uint32_t outputBytes) = 0;

    // Takes what waits in the input queue, at most buffer.size() bytes, without waiting for
    // more (0 when none); the deadline (ms, negative: none) bounds the device's answer.
    // Never writes outside `buffer`.
    virtual IoResult read(std::span<std::uint8_t> buffer, std::int32_t timeoutMs) = 0;
    // Writes all of `bytes`, or times out after timeoutMs (negative: no limit).
    virtual IoResult write(std::span<const std::uint8_t> bytes, std::int32_t timeoutMs) = 0;
    // Waits until the bytes written so far have left the output queue, at most timeoutMs;
    // false when some are still queued.
    virtual bool drainOutput(std::int32_t timeoutMs) = 0;
    virtual int purge(PortQueues queues) = 0;

    // Chooses what wait() reports.
    virtual int watch(PortEvents events) = 0;
    // Blocks until one of the watched events happens, or `cancel` is set.
    virtual WaitResult wait(WaitableEvent& cancel) = 0;
    // The line's errors (then cleared) and input count, as one snapshot.
    virtual int takeStatus(PortStatus& status) = 0;
};

// Thrown by openSerialPort(); `code` is the platform's error number, or -1 when the name
// exists but is not a character device.
class SerialOpenFailure : public std::runtime_error {
public:
    SerialOpenFailure(const std::string& path, int code, bool notCharacterDevice)
        : std::runtime_error(path), code_(code), notCharacterDevice_(notCharacterDevice) {}
    int code() const { return code_; }
    bool notCharacterDevice() const { return notCharacterDevice_; }

private:
    int code_;
    bool notCharacterDevice_;
};

// Opens the port for `name` with exclusive access, raw and without handshakes on POSIX. A
// "ComN" name (com_port_name.h) is resolved by resolveDeviceName(); any other name is the
// device's own name. Throws SerialOpenFailure.
std::unique_ptr<SerialPort> openSerialPort(const std::string& name);

// The device name that openSerialPort() opens for `name`.
std::string resolveDeviceName(const std::string& name);

}  // namespace bv3::platform
