#pragma once
// The serial device seam. The serial component speaks to its device through the operations a
// communications driver offers (read and write the control block, time-outs, queue sizes, the
// event wait, error state and input-queue count, purge), with the driver's own record layouts
// and bit values, so that the component's rules stay the same on every OS. Each OS backend
// (posix/ now) maps these onto its own interface.

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

namespace bv3::platform {

class WaitableEvent;

// Bits of the control block's flag word.
namespace dcbflag {
inline constexpr std::uint32_t fBinary = 0x0001;
inline constexpr std::uint32_t fParity = 0x0002;
inline constexpr std::uint32_t fOutxCtsFlow = 0x0004;
inline constexpr std::uint32_t fOutxDsrFlow = 0x0008;
inline constexpr std::uint32_t fDtrControlMask = 0x0030;  // two-bit field
inline constexpr std::uint32_t DTR_CONTROL_ENABLE = 0x0010;
inline constexpr std::uint32_t DTR_CONTROL_HANDSHAKE = 0x0020;
inline constexpr std::uint32_t fDsrSensitivity = 0x0040;
inline constexpr std::uint32_t fTXContinueOnXoff = 0x0080;
inline constexpr std::uint32_t fOutX = 0x0100;
inline constexpr std::uint32_t fInX = 0x0200;
inline constexpr std::uint32_t fErrorChar = 0x0400;
inline constexpr std::uint32_t fNull = 0x0800;
inline constexpr std::uint32_t fRtsControlMask = 0x3000;  // two-bit field
inline constexpr std::uint32_t RTS_CONTROL_ENABLE = 0x1000;
inline constexpr std::uint32_t RTS_CONTROL_HANDSHAKE = 0x2000;
inline constexpr std::uint32_t RTS_CONTROL_TOGGLE = 0x3000;
inline constexpr std::uint32_t fAbortOnError = 0x4000;
}  // namespace dcbflag

// Communication event bits, as the event wait reports them.
namespace commevent {
inline constexpr std::uint32_t EV_RXCHAR = 0x0001;
inline constexpr std::uint32_t EV_RXFLAG = 0x0002;
inline constexpr std::uint32_t EV_TXEMPTY = 0x0004;
inline constexpr std::uint32_t EV_CTS = 0x0008;
inline constexpr std::uint32_t EV_DSR = 0x0010;
inline constexpr std::uint32_t EV_RLSD = 0x0020;
inline constexpr std::uint32_t EV_BREAK = 0x0040;
inline constexpr std::uint32_t EV_ERR = 0x0080;
inline constexpr std::uint32_t EV_RING = 0x0100;
}  // namespace commevent

// Bits of the error word that clearError() hands back.
namespace commerror {
inline constexpr std::uint32_t CE_RXOVER = 0x0001;    // input queue overflowed
inline constexpr std::uint32_t CE_OVERRUN = 0x0002;   // the UART lost a character
inline constexpr std::uint32_t CE_RXPARITY = 0x0004;  // parity error
inline constexpr std::uint32_t CE_FRAME = 0x0008;     // framing error
inline constexpr std::uint32_t CE_BREAK = 0x0010;     // break condition
inline constexpr std::uint32_t CE_IOE = 0x0400;       // the device went away (hang-up)
}  // namespace commerror

// Purge flags.
namespace purgeflag {
inline constexpr std::uint32_t PURGE_TXABORT = 0x0001;
inline constexpr std::uint32_t PURGE_RXABORT = 0x0002;
inline constexpr std::uint32_t PURGE_TXCLEAR = 0x0004;
inline constexpr std::uint32_t PURGE_RXCLEAR = 0x0008;
inline constexpr std::uint32_t all = 0x000F;
}  // namespace purgeflag

// The device control block: line settings as the driver records them.
struct Dcb {
    std::uint32_t BaudRate = 0;  // bits per second
    std::uint32_t Flags = 0;     // dcbflag bits
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 8;  // 4..8
    std::uint8_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
    std::uint8_t XonChar = 0;
    std::uint8_t XoffChar = 0;
    std::uint8_t ErrorChar = 0;
    std::uint8_t EofChar = 0;
    std::uint8_t EvtChar = 0;

    bool operator==(const Dcb&) const = default;
};

struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

// What clearError() reports: the accumulated error word (then cleared) and the input-queue count.
struct CommStatus {
    std::uint32_t errors = 0;
    std::uint32_t inQueue = 0;
};

// The outcome of a read or a write. `error` is the platform's error number when failed.
struct IoResult {
    enum class Status { completed, timedOut, failed };
    Status status = Status::completed;
    std::size_t count = 0;
    int error = 0;
};

// The outcome of one event wait.
struct WaitResult {
    enum class Status { events, woken, failed };
    Status status = Status::woken;
    std::uint32_t mask = 0;  // EV_ bits when status is events
    int error = 0;
};

// One open serial device. Every operation but waitCommEvent() is called from one thread (the
// owner's); waitCommEvent() is called from one other thread (the event thread) and may run
// concurrently with them. Operations returning int give 0 on success, else the platform's
// error number. Destroying the device closes it.
class SerialDevice {
public:
    virtual ~SerialDevice() = default;
    SerialDevice() = default;
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    virtual int getState(Dcb& dcb) = 0;
    virtual int setState(const Dcb& dcb) = 0;
    virtual int setTimeouts(const CommTimeouts& timeouts) = 0;
    virtual int setupQueues(std::int32_t inQueue, std::int32_t outQueue) = 0;
    virtual int setCommMask(std::uint32_t mask) = 0;
    virtual int clearError(CommStatus& status) = 0;
    virtual int purge(std::uint32_t flags) = 0;

    // Reads what the driver's time-outs allow (with the usual ones: what waits, at once), or
    // times out after timeoutMs (negative: no limit). Never writes outside `buffer`.
    virtual IoResult read(std::span<std::uint8_t> buffer, std::int32_t timeoutMs) = 0;
    // Writes all of `bytes`, or times out after timeoutMs (negative: no limit).
    virtual IoResult write(std::span<const std::uint8_t> bytes, std::int32_t timeoutMs) = 0;
    // Waits until the bytes written so far have left the output queue, at most timeoutMs;
    // false when some are still queued.
    virtual bool drainOutput(std::int32_t timeoutMs) = 0;

    // Blocks until one of the events selected by setCommMask() occurs, or `wake` is set.
    virtual WaitResult waitCommEvent(WaitableEvent& wake) = 0;
};

// Thrown by openSerialDevice(); `code` is the platform's error number, or -1 when the name
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

// Opens the device for `name` exclusively, without blocking and without making it the
// controlling terminal. A "ComN" name (com_port_name.h) is resolved by resolveDeviceName();
// any other name is a path. Throws SerialOpenFailure.
std::unique_ptr<SerialDevice> openSerialDevice(const std::string& name);

// The device path that openSerialDevice() uses for `name`.
std::string resolveDeviceName(const std::string& name);

}  // namespace bv3::platform
