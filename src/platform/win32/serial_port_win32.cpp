// The Windows communications API behind SerialDevice: the port is opened with CreateFileA for
// overlapped I/O, and every operation is the driver call of the same name (GetCommState,
// SetCommState, SetCommTimeouts, SetupComm, SetCommMask, ClearCommError, PurgeComm, ReadFile,
// WriteFile with GetOverlappedResult, WaitCommEvent). Reads and writes share one completion
// event (the component serialises them); the event wait, which runs on its own thread, has
// its own.
#include "platform/com_port_name.h"
#include "platform/serial_device.h"
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

// The driver's DCB keeps the flag word as bit fields in the same order as dcbflag.
void toDriver(const Dcb& in, DCB& out) {
    const auto has = [&](std::uint32_t bit) { return (in.Flags & bit) != 0 ? 1u : 0u; };
    out.BaudRate = in.BaudRate;
    out.fBinary = has(dcbflag::fBinary);
    out.fParity = has(dcbflag::fParity);
    out.fOutxCtsFlow = has(dcbflag::fOutxCtsFlow);
    out.fOutxDsrFlow = has(dcbflag::fOutxDsrFlow);
    out.fDtrControl = (in.Flags & dcbflag::fDtrControlMask) >> 4;
    out.fDsrSensitivity = has(dcbflag::fDsrSensitivity);
    out.fTXContinueOnXoff = has(dcbflag::fTXContinueOnXoff);
    out.fOutX = has(dcbflag::fOutX);
    out.fInX = has(dcbflag::fInX);
    out.fErrorChar = has(dcbflag::fErrorChar);
    out.fNull = has(dcbflag::fNull);
    out.fRtsControl = (in.Flags & dcbflag::fRtsControlMask) >> 12;
    out.fAbortOnError = has(dcbflag::fAbortOnError);
    out.XonLim = in.XonLim;
    out.XoffLim = in.XoffLim;
    out.ByteSize = in.ByteSize;
    out.Parity = in.Parity;
    out.StopBits = in.StopBits;
    out.XonChar = static_cast<char>(in.XonChar);
    out.XoffChar = static_cast<char>(in.XoffChar);
    out.ErrorChar = static_cast<char>(in.ErrorChar);
    out.EofChar = static_cast<char>(in.EofChar);
    out.EvtChar = static_cast<char>(in.EvtChar);
}

void fromDriver(const DCB& in, Dcb& out) {
    const auto bit = [](unsigned value, std::uint32_t flag) { return value != 0 ? flag : 0u; };
    out.BaudRate = in.BaudRate;
    out.Flags = bit(in.fBinary, dcbflag::fBinary) | bit(in.fParity, dcbflag::fParity) |
                bit(in.fOutxCtsFlow, dcbflag::fOutxCtsFlow) | bit(in.fOutxDsrFlow, dcbflag::fOutxDsrFlow) |
                (static_cast<std::uint32_t>(in.fDtrControl) << 4) | bit(in.fDsrSensitivity, dcbflag::fDsrSensitivity) |
                bit(in.fTXContinueOnXoff, dcbflag::fTXContinueOnXoff) | bit(in.fOutX, dcbflag::fOutX) |
                bit(in.fInX, dcbflag::fInX) | bit(in.fErrorChar, dcbflag::fErrorChar) | bit(in.fNull, dcbflag::fNull) |
                (static_cast<std::uint32_t>(in.fRtsControl) << 12) | bit(in.fAbortOnError, dcbflag::fAbortOnError);
    out.XonLim = in.XonLim;
    out.XoffLim = in.XoffLim;
    out.ByteSize = in.ByteSize;
    out.Parity = in.Parity;
    out.StopBits = in.StopBits;
    out.XonChar = static_cast<std::uint8_t>(in.XonChar);
    out.XoffChar = static_cast<std::uint8_t>(in.XoffChar);
    out.ErrorChar = static_cast<std::uint8_t>(in.ErrorChar);
    out.EofChar = static_cast<std::uint8_t>(in.EofChar);
    out.EvtChar = static_cast<std::uint8_t>(in.EvtChar);
}

class Win32SerialDevice final : public SerialDevice {
public:
    explicit Win32SerialDevice(Handle port)
        : port_(std::move(port)), ioEvent_(manualResetEvent()), waitEvent_(manualResetEvent()) {
        if (ioEvent_ == nullptr || waitEvent_ == nullptr) {
            throw SerialOpenFailure("event object", lastError(), false);
        }
    }

    int getState(Dcb& dcb) override {
        DCB driver{};
        driver.DCBlength = sizeof driver;
        if (!GetCommState(port_.get(), &driver)) {
            return lastError();
        }
        fromDriver(driver, dcb);
        return 0;
    }

    int setState(const Dcb& dcb) override {
        DCB driver{};
        driver.DCBlength = sizeof driver;
        if (!GetCommState(port_.get(), &driver)) {
            return lastError();
        }
        toDriver(dcb, driver);
        return SetCommState(port_.get(), &driver) ? 0 : lastError();
    }

    int setTimeouts(const CommTimeouts& timeouts) override {
        COMMTIMEOUTS driver{timeouts.ReadIntervalTimeout, timeouts.ReadTotalTimeoutMultiplier,
                            timeouts.ReadTotalTimeoutConstant, timeouts.WriteTotalTimeoutMultiplier,
                            timeouts.WriteTotalTimeoutConstant};
        return SetCommTimeouts(port_.get(), &driver) ? 0 : lastError();
    }

    int setupQueues(std::int32_t inQueue, std::int32_t outQueue) override {
        return SetupComm(port_.get(), static_cast<DWORD>(inQueue), static_cast<DWORD>(outQueue)) ? 0 : lastError();
    }

    int setCommMask(std::uint32_t mask) override { return SetCommMask(port_.get(), mask) ? 0 : lastError(); }

    int clearError(CommStatus& status) override {
        DWORD errors = 0;
        COMSTAT stat{};
        if (!ClearCommError(port_.get(), &errors, &stat)) {
            return lastError();
        }
        status.errors = errors;
        status.inQueue = stat.cbInQue;
        return 0;
    }

    int purge(std::uint32_t flags) override { return PurgeComm(port_.get(), flags) ? 0 : lastError(); }

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

    WaitResult waitCommEvent(WaitableEvent& wake) override {
        OVERLAPPED overlapped = freshOverlapped(waitEvent_.get());
        DWORD mask = 0;
        if (WaitCommEvent(port_.get(), &mask, &overlapped)) {
            return {WaitResult::Status::events, mask, 0};
        }
        if (GetLastError() != ERROR_IO_PENDING) {
            return {WaitResult::Status::failed, 0, lastError()};
        }
        const HANDLE handles[2] = {waitEvent_.get(), wake.impl().handle};
        const DWORD which = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        DWORD ignored = 0;
        if (which == WAIT_OBJECT_0) {
            if (!GetOverlappedResult(port_.get(), &overlapped, &ignored, FALSE)) {
                return {WaitResult::Status::failed, 0, lastError()};
            }
            return {WaitResult::Status::events, mask, 0};
        }
        // Woken (or the wait itself failed): the pending wait must end before `mask` and
        // `overlapped` go out of scope. CancelIo ends this thread's pending operations.
        const int error = which == WAIT_OBJECT_0 + 1 ? 0 : lastError();
        CancelIo(port_.get());
        GetOverlappedResult(port_.get(), &overlapped, &ignored, TRUE);
        if (error != 0) {
            return {WaitResult::Status::failed, 0, error};
        }
        return {WaitResult::Status::woken, 0, 0};
    }

private:
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

std::unique_ptr<SerialDevice> openSerialDevice(const std::string& name) {
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
    return std::make_unique<Win32SerialDevice>(std::move(port));
}

}  // namespace bv3::platform
