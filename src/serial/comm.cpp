#include "serial/comm.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <mutex>

#include "platform/ui_thread.h"
#include "serial/comm_event_thread.h"
#include "serial/comm_line_translation.h"

namespace bv3::serial {

namespace {

using namespace dcbflag;

// Read and Write on a closed port fail the way the driver fails a call on an invalid handle.
constexpr int closedPortError = EBADF;

}  // namespace

TCustomComm::TCustomComm()
    : FCriticalSection(std::make_unique<TCriticalSection>()),
      FEventChars(std::make_unique<TCommEventChars>(this)) {}

TCustomComm::~TCustomComm() {
    Close();
    *alive_ = false;
}

void TCustomComm::RefuseWhileOpen() const {
    if (IsOpen()) {
        throw ECommError(commtext::portAlreadyAssigned, -1);
    }
}

void TCustomComm::Open() {
    RefuseWhileOpen();
    // Without a UI thread no event could be delivered; find out before touching the device.
    platform::UiThread& ui = platform::uiThread();
    CreateHandle();
    const std::uint64_t generation = ++generation_;
    FEventThread = std::make_unique<TCommEventThread>(
        *FHandle, FMonitorEvents,
        [this, generation](std::uint32_t mask, std::uint32_t lineErrors) {
            DeliverNotification(mask, lineErrors, generation);
        },
        ui);
    // The working copy starts from what the device has: the flow control fcDefault keeps.
    platform::LineSettings current;
    if (FHandle->readSettings(current) == 0) {
        FDCB = controlBlockOf(current);
    }
    ApplyLineSettings();
    if (const int error = FHandle->setQueueSizes(static_cast<std::uint32_t>(std::max(FReadBufSize, 0)),
                                                 static_cast<std::uint32_t>(std::max(FWriteBufSize, 0)));
        error != 0) {
        throw ECommError(commtext::errorInitializingBuffers, error);
    }
}

void TCustomComm::CreateHandle() {
    try {
        FHandle = platform::openSerialPort(FDeviceName);
    } catch (const platform::SerialOpenFailure& failure) {
        if (failure.notCharacterDevice()) {
            throw ECommError(commtext::invalidDeviceHandle, -1);
        }
        throw ECommError(commtext::errorAccessingPort, failure.code());
    }
}

void TCustomComm::Close() {
    if (!IsOpen()) {
        return;
    }
    if (FEventThread) {
        FEventThread->Stop();
        if (runningGeneration_ == generation_) {
            // Called from one of this port's handlers: the thread is waiting for that handler
            // to return, so it cannot be joined here. Once the handler returns it sees the stop
            // and ends without touching the port or this component, and the UI thread joins
            // it right there, before it goes back to its loop.
            FEventThread->JoinAfterNotification();
        } else {
            FEventThread->Join();
        }
        FEventThread.reset();
    }
    // Read and Write use the handle under the I/O lock; it goes away under the same lock.
    std::lock_guard lock(*FCriticalSection);
    // A write returns once the driver holds the bytes, so the transmit queue may still hold
    // the last answer of an exchange: it gets its time on the line (at most WriteTimeout)
    // and is aborted only when it did not leave in that time. The input is always discarded.
    const bool drained = FHandle->drainOutput(FWriteTimeout);
    (void)FHandle->purge(drained ? platform::PortQueues::input : platform::PortQueues::both);
    FHandle.reset();
}

void TCustomComm::DeliverNotification(std::uint32_t mask, std::uint32_t lineErrors, std::uint64_t generation) {
    if (!IsOpen() || generation != generation_) {
        return;  // a notification of a port that has been closed since
    }
    const std::shared_ptr<bool> alive = alive_;
    const std::uint64_t outer = runningGeneration_;  // a handler's nested event loop may nest
    runningGeneration_ = generation;
    try {
        HandleCommEvent(mask, lineErrors);
    } catch (...) {
        if (*alive) {
            runningGeneration_ = outer;
        }
        throw;
    }
    // A handler may have destroyed the component; then nothing of it may be touched.
    if (*alive) {
        runningGeneration_ = outer;
    }
}

std::int32_t TCustomComm::Write(std::span<const std::uint8_t> buffer) {
    std::lock_guard lock(*FCriticalSection);
    if (!IsOpen()) {
        throw ECommError(commtext::writeError, closedPortError);
    }
    const platform::IoResult result = FHandle->write(buffer, FWriteTimeout);
    switch (result.status) {
        case platform::IoResult::Status::failed:
            throw ECommError(commtext::writeError, result.error);
        case platform::IoResult::Status::timedOut:
            return -1;
        case platform::IoResult::Status::completed:
            break;
    }
    return static_cast<std::int32_t>(result.count);
}

std::int32_t TCustomComm::Read(std::span<std::uint8_t> buffer) {
    std::lock_guard lock(*FCriticalSection);
    if (!IsOpen()) {
        throw ECommError(commtext::readError, closedPortError);
    }
    const platform::IoResult result = FHandle->read(buffer, FReadTimeout);
    switch (result.status) {
        case platform::IoResult::Status::failed:
            throw ECommError(commtext::readError, result.error);
        case platform::IoResult::Status::timedOut:
            return -1;
        case platform::IoResult::Status::completed:
            break;
    }
    return static_cast<std::int32_t>(result.count);
}

void TCustomComm::ApplyLineSettings() {
    if (!IsOpen()) {
        return;
    }
    FDCB.BaudRate = BaudRateValue(FBaudRate);
    FDCB.Parity = static_cast<std::uint8_t>(FParity);
    FDCB.StopBits = static_cast<std::uint8_t>(FStopbits);
    FDCB.ByteSize = static_cast<std::uint8_t>(4 + static_cast<int>(FDatabits));
    FDCB.XonChar = FEventChars->XonChar();
    FDCB.XoffChar = FEventChars->XoffChar();
    FDCB.ErrorChar = FEventChars->ErrorChar();
    FDCB.EofChar = FEventChars->EofChar();
    FDCB.EvtChar = FEventChars->EvtChar();
    FDCB.XonLim = static_cast<std::uint16_t>(FReadBufSize / 4);
    FDCB.XoffLim = static_cast<std::uint16_t>(FReadBufSize / 4);
    ApplyFlowControl(FDCB);
    for (unsigned i = 0; i < 5; ++i) {
        const auto option = static_cast<TCommOption>(i);
        if (FOptions.Contains(option)) {
            FDCB.Flags |= OptionFlag(option);
        } else {
            FDCB.Flags &= ~OptionFlag(option);
        }
    }
    if (const int error = FHandle->applySettings(lineSettingsOf(FDCB)); error != 0) {
        throw ECommError(commtext::errorUpdatingDcb, error);
    }
}

void TCustomComm::ApplyFlowControl(Dcb& dcb) {
    switch (FFlowControl) {
        case TFlowControl::fcNone:
            dcb.Flags = fBinary;
            break;
        case TFlowControl::fcCTS:
            dcb.Flags |= fOutxCtsFlow | RTS_CONTROL_HANDSHAKE;
            break;
        case TFlowControl::fcDTR:
            dcb.Flags |= fOutxDsrFlow | DTR_CONTROL_HANDSHAKE;
            break;
        case TFlowControl::fcSoftware:
            dcb.Flags |= fOutX | fInX;
            break;
        case TFlowControl::fcDefault:
            break;
    }
}

void TCustomComm::SetDeviceName(const std::string& value) {
    if (value == FDeviceName) {
        return;
    }
    RefuseWhileOpen();
    FDeviceName = value;
}

void TCustomComm::SetReadBufSize(std::int32_t value) {
    if (value == FReadBufSize) {
        return;
    }
    RefuseWhileOpen();
    FReadBufSize = value;
}

void TCustomComm::SetWriteBufSize(std::int32_t value) {
    if (value == FWriteBufSize) {
        return;
    }
    RefuseWhileOpen();
    FWriteBufSize = value;
}

void TCustomComm::SetMonitorEvents(TCommEventTypes value) {
    if (value == FMonitorEvents) {
        return;
    }
    RefuseWhileOpen();
    FMonitorEvents = value;
}

namespace {

// The line settings share one rule: an actual change reaches the open device at once.
template <typename T>
void changeLineSetting(TCustomComm& comm, T& field, T value) {
    if (field == value) {
        return;
    }
    field = value;
    comm.ApplyLineSettings();
}

}  // namespace

void TCustomComm::SetBaudRate(TBaudrate value) {
    changeLineSetting(*this, FBaudRate, value);
}
void TCustomComm::SetParity(TParity value) {
    changeLineSetting(*this, FParity, value);
}
void TCustomComm::SetStopbits(TStopbits value) {
    changeLineSetting(*this, FStopbits, value);
}
void TCustomComm::SetDatabits(TDatabits value) {
    changeLineSetting(*this, FDatabits, value);
}
void TCustomComm::SetOptions(TCommOptions value) {
    changeLineSetting(*this, FOptions, value);
}
void TCustomComm::SetFlowControl(TFlowControl value) {
    changeLineSetting(*this, FFlowControl, value);
}

namespace {

// Calls a copy of the handler: a handler may destroy the component, and with it the handler
// object that is running.
template <typename Handler, typename... Args>
void callHandler(const Handler& handler, Args&&... args) {
    const Handler call = handler;
    call(std::forward<Args>(args)...);
}

}  // namespace

void TComm::HandleCommEvent(std::uint32_t mask, std::uint32_t lineErrors) {
    using namespace commevent;
    // The error word and the input count come from one look at the line.
    platform::PortStatus status;
    if (FHandle->takeStatus(status) != 0) {
        status = {};
    }
    const std::uint32_t errors = commErrorsOf(status.errors) | lineErrors;
    const std::shared_ptr<bool> alive = alive_;
    // A handler may close the port or destroy the component; the handlers after it then
    // hear nothing more.
    const auto live = [&] { return *alive && IsOpen(); };
    try {
        if ((mask & EV_BREAK) && live() && OnBreak)
            callHandler(OnBreak, *this);
        if ((mask & EV_CTS) && live() && OnCts)
            callHandler(OnCts, *this);
        if ((mask & EV_DSR) && live() && OnDsr)
            callHandler(OnDsr, *this);
        if ((mask & EV_ERR) && live() && OnError)
            callHandler(OnError, *this, static_cast<int>(errors));
        if ((mask & EV_RING) && live() && OnRing)
            callHandler(OnRing, *this);
        if ((mask & EV_RLSD) && live() && OnRlsd)
            callHandler(OnRlsd, *this);
        if ((mask & EV_RXCHAR) && status.inputCount > 0 && live() && OnRxChar) {
            callHandler(OnRxChar, *this, static_cast<int>(status.inputCount));
        }
        if ((mask & EV_RXFLAG) && live() && OnRxFlag)
            callHandler(OnRxFlag, *this);
        if ((mask & EV_TXEMPTY) && live() && OnTxEmpty)
            callHandler(OnTxEmpty, *this);
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        if (*alive && OnHandlerException) {
            try {
                callHandler(OnHandlerException, *this, error);
                return;
            } catch (...) {
                // Reported below like the first one; delivery must go on.
            }
        }
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "bv3: serial event handler failed: %s\n", e.what());
        } catch (...) {
            std::fprintf(stderr, "bv3: serial event handler failed\n");
        }
    }
}

}  // namespace bv3::serial
