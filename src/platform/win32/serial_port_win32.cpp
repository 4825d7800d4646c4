// The serial port over the Windows communications API: the port is opened with CreateFileA for
// overlapped I/O; the line settings are the driver's DCB (GetCommState/SetCommState), the
// wait is WaitCommEvent, the status snapshot is ClearCommError, which hands back the error
// word and the input count from one call. Reads and writes share one completion event (the
// owner serialises them); the wait, which runs on its own thread, has its own.
#include "platform/com_port_name.h"
#include "platform/serial_port.h"
#include "platform/win32/win32_waitable_event.h"

#include <chrono>
#include <optional>
#include <thread>

namespace bv3::platform {

namespace {

int lastError() {
    return static_cast<int>(GetLastError());
}

struct HandleRelease {
    void operator()(HANDLE handle) const {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};
using Handle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleRelease>;

Handle manualResetEvent() {
    return Handle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

// The driver's two-bit DTR and RTS fields hold the LineControl members in their order:
// DTR_CONTROL_DISABLE/ENABLE/HANDSHAKE, RTS_CONTROL_DISABLE/ENABLE/HANDSHAKE/TOGGLE.
DWORD controlField(LineControl control) {
    return static_cast<DWORD>(control) & 3u;
}

LineControl lineControl(DWORD field) {
    static constexpr LineControl controls[] = {LineControl::off, LineControl::on, LineControl::handshake,
                                               LineControl::toggle};
    return controls[field & 3u];
}

// Every field of `in` into the driver's block; the driver's own fields (its length, reserved
// words) stay as GetCommState left them.
void toDriver(const LineSettings& in, DCB& out) {
    out.BaudRate = in.baudRate;
    out.fBinary = TRUE;  // the driver carries no other mode
    out.fParity = in.checkParity ? 1 : 0;
    out.fOutxCtsFlow = in.ctsGatesOutput ? 1 : 0;
    out.fOutxDsrFlow = in.dsrGatesOutput ? 1 : 0;
    out.fDtrControl = controlField(in.dtr);
    out.fDsrSensitivity = in.dsrGatesInput ? 1 : 0;
    out.fTXContinueOnXoff = in.sendAfterXoff ? 1 : 0;
    out.fOutX = in.xonXoffOutput ? 1 : 0;
    out.fInX = in.xonXoffInput ? 1 : 0;
    out.fErrorChar = in.replaceErrorBytes ? 1 : 0;
    out.fNull = in.discardNulls ? 1 : 0;
    out.fRtsControl = controlField(in.rts);
    out.fAbortOnError = in.stopOnError ? 1 : 0;
    out.XonLim = in.xonLimit;
    out.XoffLim = in.xoffLimit;
    out.ByteSize = in.dataBits;
    out.Parity = static_cast<BYTE>(in.parity);      // NOPARITY, ODDPARITY, EVENPARITY, MARK, SPACE
    out.StopBits = static_cast<BYTE>(in.stopBits);  // ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS
    out.XonChar = static_cast<char>(in.xonChar);
    out.XoffChar = static_cast<char>(in.xoffChar);
    out.ErrorChar = static_cast<char>(in.errorChar);
    out.EofChar = static_cast<char>(in.eofChar);
    out.EvtChar = static_cast<char>(in.eventChar);
}

LineSettings fromDriver(const DCB& in) {
    LineSettings out;
    out.baudRate = in.BaudRate;
    out.dataBits = in.ByteSize;
    out.parity = in.Parity <= SPACEPARITY ? static_cast<Parity>(in.Parity) : Parity::none;
    out.stopBits = in.StopBits <= TWOSTOPBITS ? static_cast<StopBits>(in.StopBits) : StopBits::one;
    out.checkParity = in.fParity != 0;
    out.ctsGatesOutput = in.fOutxCtsFlow != 0;
    out.dsrGatesOutput = in.fOutxDsrFlow != 0;
    out.dtr = lineControl(in.fDtrControl);
    out.rts = lineControl(in.fRtsControl);
    out.xonXoffOutput = in.fOutX != 0;
    out.xonXoffInput = in.fInX != 0;
    out.sendAfterXoff = in.fTXContinueOnXoff != 0;
    out.xonChar = static_cast<std::uint8_t>(in.XonChar);
    out.xoffChar = static_cast<std::uint8_t>(in.XoffChar);
    out.xonLimit = in.XonLim;
    out.xoffLimit = in.XoffLim;
    out.dsrGatesInput = in.fDsrSensitivity != 0;
    out.replaceErrorBytes = in.fErrorChar != 0;
    out.errorChar = static_cast<std::uint8_t>(in.ErrorChar);
    out.discardNulls = in.fNull != 0;
    out.stopOnError = in.fAbortOnError != 0;
    out.eofChar = static_cast<std::uint8_t>(in.EofChar);
    out.eventChar = static_cast<std::uint8_t>(in.EvtChar);
    return out;
}

struct EventBit {
    PortEvent event;
    DWORD bit;
};

constexpr EventBit eventBits[] = {
    {PortEvent::inputAvailable, EV_RXCHAR}, {PortEvent::eventCharReceived, EV_RXFLAG},
    {PortEvent::outputDrained, EV_TXEMPTY}, {PortEvent::ctsChanged, EV_CTS},
    {PortEvent::dsrChanged, EV_DSR},        {PortEvent::carrierChanged, EV_RLSD},
    {PortEvent::breakDetected, EV_BREAK},   {PortEvent::lineError, EV_ERR},
    {PortEvent::ringIndicator, EV_RING},
};

// The driver reports a device gone bad as a line error (EV_ERR with CE_IOE): a hang-up has
// no event of its own here.
DWORD driverMask(PortEvents events) {
    DWORD mask = 0;
    for (const EventBit& e : eventBits) {
        if (events.has(e.event)) {
            mask |= e.bit;
        }
    }
    if (events.has(PortEvent::hangUp)) {
        mask |= EV_ERR;
    }
    return mask;
}

PortEvents portEvents(DWORD mask) {
    PortEvents events;
    for (const EventBit& e : eventBits) {
        if ((mask & e.bit) != 0) {
            events |= e.event;
        }
    }
    return events;
}

LineErrors lineErrors(DWORD errors) {
    struct ErrorBit {
        DWORD bit;
        LineError error;
    };
    static constexpr ErrorBit bits[] = {
        {CE_RXOVER, LineError::inputOverflow}, {CE_OVERRUN, LineError::overrun},
        {CE_RXPARITY, LineError::parity},      {CE_FRAME, LineError::framing},
        {CE_BREAK, LineError::breakCondition}, {CE_TXFULL, LineError::outputOverflow},
        {CE_IOE, LineError::deviceFailure},    {CE_MODE, LineError::unsupportedMode},
    };
    LineErrors out;
    for (const ErrorBit& e : bits) {
        if ((errors & e.bit) != 0) {
            out |= e.error;
        }
    }
    return out;
}

class Win32SerialPort final : public SerialPort {
public:
    explicit Win32SerialPort(Handle port)
        : port_(std::move(port)), ioEvent_(manualResetEvent()), waitEvent_(manualResetEvent()) {
        if (ioEvent_ == nullptr || waitEvent_ == nullptr) {
            throw SerialOpenFailure("event object", lastError(), false);
        }
    }

    int readSettings(LineSettings& settings) override {
        DCB driver{};
        driver.DCBlength = sizeof driver;
        if (!GetCommState(port_.get(), &driver)) {
            return lastError();
        }
        settings = fromDriver(driver);
        return 0;
    }

    int applySettings(const LineSettings& settings) override {
        DCB driver{};
        driver.DCBlength = sizeof driver;
        if (!GetCommState(port_.get(), &driver)) {
            return lastError();
        }
        toDriver(settings, driver);
        return SetCommState(port_.get(), &driver) ? 0 : lastError();
    }

    int setQueueSizes(std::uint32_t inputBytes, std::uint32_t outputBytes) override {
        return SetupComm(port_.get(), inputBytes, outputBytes) ? 0 : lastError();
    }

    int watch(PortEvents events) override { return SetCommMask(port_.get(), driverMask(events)) ? 0 : lastError(); }

    int takeStatus(PortStatus& status) override {
        DWORD errors = 0;
        COMSTAT stat{};
        if (!ClearCommError(port_.get(), &errors, &stat)) {
            return lastError();
        }
        status.errors = lineErrors(errors);
        status.inputCount = stat.cbInQue;
        return 0;
    }

    int purge(PortQueues queues) override {
        DWORD flags = 0;
        if (queues != PortQueues::output) {
            flags |= PURGE_RXABORT | PURGE_RXCLEAR;
        }
        if (queues != PortQueues::input) {
            flags |= PURGE_TXABORT | PURGE_TXCLEAR;
        }
        return PurgeComm(port_.get(), flags) ? 0 : lastError();
    }

    // The port's time-outs (set at open) make the driver complete a read at once with what
    // waits; the deadline bounds the wait for that completion.
    IoResult read(std::span<std::uint8_t> buffer, std::int32_t timeoutMs) override {
        OVERLAPPED overlapped = freshOverlapped(ioEvent_.get());
        DWORD count = 0;
        const BOOL done = ReadFile(port_.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &count, &overlapped);
        return finish(done, overlapped, count, timeoutMs);
    }

    IoResult write(std::span<const std::uint8_t> bytes, std::int32_t timeoutMs) override {
        OVERLAPPED overlapped = freshOverlapped(ioEvent_.get());
        DWORD count = 0;
        const BOOL done = WriteFile(port_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count, &overlapped);
        return finish(done, overlapped, count, timeoutMs);
    }

    bool drainOutput(std::int32_t timeoutMs) override {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
        for (;;) {
            DWORD errors = 0;
            COMSTAT stat{};
            if (!ClearCommError(port_.get(), &errors, &stat) || stat.cbOutQue == 0) {
                return true;
            }
            if (timeoutMs >= 0 && std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    WaitResult wait(WaitableEvent& cancel) override {
        OVERLAPPED overlapped = freshOverlapped(waitEvent_.get());
        DWORD mask = 0;
        if (WaitCommEvent(port_.get(), &mask, &overlapped)) {
            return reported(mask);
        }
        if (GetLastError() != ERROR_IO_PENDING) {
            return {WaitResult::Status::failed, {}, lastError()};
        }
        const HANDLE handles[2] = {waitEvent_.get(), cancel.impl().handle};
        const DWORD which = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        DWORD ignored = 0;
        if (which == WAIT_OBJECT_0) {
            if (!GetOverlappedResult(port_.get(), &overlapped, &ignored, FALSE)) {
                return {WaitResult::Status::failed, {}, lastError()};
            }
            return reported(mask);
        }
        // Cancelled (or the wait itself failed): the pending wait must end before `mask` and
        // `overlapped` go out of scope. CancelIo ends this thread's pending operations.
        const int error = which == WAIT_OBJECT_0 + 1 ? 0 : lastError();
        CancelIo(port_.get());
        GetOverlappedResult(port_.get(), &overlapped, &ignored, TRUE);
        if (error != 0) {
            return {WaitResult::Status::failed, {}, error};
        }
        return {WaitResult::Status::cancelled, {}, 0};
    }

private:
    // The driver also ends a wait with an empty mask (SetCommMask while waiting): nothing
    // happened, which the owner hears as a cancelled wait and simply waits again.
    static WaitResult reported(DWORD mask) {
        const PortEvents events = portEvents(mask);
        if (events.empty()) {
            return {WaitResult::Status::cancelled, {}, 0};
        }
        return {WaitResult::Status::events, events, 0};
    }

    static OVERLAPPED freshOverlapped(HANDLE event) {
        ResetEvent(event);
        OVERLAPPED overlapped{};
        overlapped.hEvent = event;
        return overlapped;
    }

    IoResult finish(BOOL done, OVERLAPPED& overlapped, DWORD count, std::int32_t timeoutMs) {
        if (done) {
            return {IoResult::Status::completed, count, 0};
        }
        if (GetLastError() != ERROR_IO_PENDING) {
            return {IoResult::Status::failed, 0, lastError()};
        }
        const DWORD limit = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
        const DWORD waited = WaitForSingleObject(overlapped.hEvent, limit);
        if (waited == WAIT_OBJECT_0) {
            return GetOverlappedResult(port_.get(), &overlapped, &count, FALSE)
                       ? IoResult{IoResult::Status::completed, count, 0}
                       : IoResult{IoResult::Status::failed, 0, lastError()};
        }
        // Timed out: cancel, then take what was transferred before the cancel.
        CancelIo(port_.get());
        count = 0;
        GetOverlappedResult(port_.get(), &overlapped, &count, TRUE);
        return {IoResult::Status::timedOut, count, 0};
    }

    Handle port_;
    Handle ioEvent_;
    Handle waitEvent_;
};

}  // namespace

// "Com1".."Com9" open as they are named; from "Com10" on the driver is reachable only through
// the device namespace, "\\.\Com10".
std::string resolveDeviceName(const std::string& name) {
    const auto n = comPortNumber(name);
    if (n && *n >= 10) {
        return "\\\\.\\" + name;
    }
    return name;
}

std::unique_ptr<SerialPort> openSerialPort(const std::string& name) {
    const std::string path = resolveDeviceName(name);
    // Exclusive (no sharing), existing device, overlapped so that the event wait and the
    // reads and writes can be outstanding at once.
    Handle port(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                            nullptr));
    if (port.get() == INVALID_HANDLE_VALUE) {
        port.release();
        throw SerialOpenFailure(path, lastError(), false);
    }
    if (GetFileType(port.get()) != FILE_TYPE_CHAR) {
        throw SerialOpenFailure(path, -1, true);
    }
    // Reads return at once with what waits; the driver sets no limit on writes (the owner's
    // deadline does).
    COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
    if (!SetCommTimeouts(port.get(), &timeouts)) {
        throw SerialOpenFailure(path, lastError(), false);
    }
    return std::make_unique<Win32SerialPort>(std::move(port));
}

}  // namespace bv3::platform
