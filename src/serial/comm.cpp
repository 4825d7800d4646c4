#include "serial/comm.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <mutex>

#include "platform/ui_thread.h"
#include "serial/comm_line_settings.h"
#include "serial/comm_line_translation.h"

namespace bv3::serial {

namespace {

// Read and Write on a closed port fail the way the driver fails a call on an invalid handle.
constexpr int closedPortError = EBADF;

}  // namespace

TCustomComm::TCustomComm()
    : FCriticalSection(std::make_unique<TCriticalSection>()),
      FEventChars(std::make_unique<TCommEventChars>(this)) {}

TCustomComm::~TCustomComm() {
    if (FEventThread) {
        FEventThread->OwnerGone();
    }
    Close();
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
    FWatched = WatchedEvents();
    FEventThread = std::make_unique<TCommEventThread>(
        *FHandle, FWatched,
        [this](platform::PortEvents events, platform::LineErrors lineErrors,
               const TCommEventThread::Delivery& delivery) { HandleCommEvent(events, lineErrors, delivery); },
        ui);
    // The working copy starts from what the device has: the flow control fcDefault keeps.
    if (platform::LineSettings current; FHandle->readSettings(current) == 0) {
        FSettings = current;
    }
    ApplyLineSettings();
    if (const int error = FHandle->setQueueSizes(static_cast<std::uint32_t>(std::max(FReadBufSize, 0)),
                                                 static_cast<std::uint32_t>(std::max(FWriteBufSize, 0)));
        error != 0) {
        throw ECommError(commtext::errorInitializingBuffers, error);
    }
}

platform::PortEvents TCustomComm::WatchedEvents() const {
    TCommEventTypes events = FMonitorEvents;
    if (!ListensForTxEmpty()) {
        events.Exclude(TCommEventType::evTxEmpty);
    }
    return watchedEventsOf(events);
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
    // Joined at once, or right after the running handler when Close is called from one.
    FEventThread.reset();
    // Read and Write use the handle under the I/O lock; it goes away under the same lock.
    std::lock_guard lock(*FCriticalSection);
    // A write returns once the driver holds the bytes, so the transmit queue may still hold
    // the last answer of an exchange: it gets its time on the line (at most WriteTimeout)
    // and is aborted only when it did not leave in that time. The input is always discarded.
    const bool drained = FHandle->drainOutput(FWriteTimeout);
    (void)FHandle->purge(drained ? platform::PortQueues::input : platform::PortQueues::both);
    FHandle.reset();
}

std::int32_t TCustomComm::Write(std::span<const std::uint8_t> buffer) {
    std::lock_guard lock(*FCriticalSection);
    if (!IsOpen()) {
        throw ECommError(commtext::writeError, closedPortError);
    }
    // A TxEmpty handler assigned or removed since the last look: the port follows before the
    // bytes go out, so that these bytes' drained output is reported to it.
    if (const platform::PortEvents watched = WatchedEvents(); watched != FWatched) {
        (void)FHandle->watch(watched);
        FWatched = watched;
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
    FSettings.baudRate = BaudRateValue(FBaudRate);
    FSettings.parity = static_cast<platform::Parity>(FParity);
    FSettings.stopBits = static_cast<platform::StopBits>(FStopbits);
    FSettings.dataBits = static_cast<std::uint8_t>(4 + static_cast<int>(FDatabits));
    FSettings.xonChar = FEventChars->XonChar();
    FSettings.xoffChar = FEventChars->XoffChar();
    FSettings.errorChar = FEventChars->ErrorChar();
    FSettings.eofChar = FEventChars->EofChar();
    FSettings.eventChar = FEventChars->EvtChar();
    FSettings.xonLimit = static_cast<std::uint16_t>(FReadBufSize / 4);
    FSettings.xoffLimit = static_cast<std::uint16_t>(FReadBufSize / 4);
    applyFlowControl(FSettings, FFlowControl);
    applyOptions(FSettings, FOptions);
    if (const int error = FHandle->applySettings(FSettings); error != 0) {
        throw ECommError(commtext::errorUpdatingDcb, error);
    }
}

Dcb TCustomComm::ControlBlock() const {
    return controlBlockOf(FSettings);
}

void TCustomComm::ApplyFlowControl(Dcb& dcb) const {
    platform::LineSettings settings = lineSettingsOf(dcb);
    applyFlowControl(settings, FFlowControl);
    dcb = controlBlockOf(settings);
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

void TComm::HandleCommEvent(platform::PortEvents events, platform::LineErrors lineErrors,
                            const TCommEventThread::Delivery& delivery) {
    using platform::PortEvent;
    // The errors and the input count come from one look at the line.
    platform::PortStatus status;
    if (FHandle->takeStatus(status) != 0) {
        status = {};
    }
    const platform::LineErrors errors = status.errors | lineErrors;
    // A handler may close the port or destroy the component; the handlers after it then
    // hear nothing more.
    const auto live = [&] { return delivery.OwnerAlive() && IsOpen(); };
    try {
        if (events.has(PortEvent::breakDetected) && live() && OnBreak)
            callHandler(OnBreak, *this);
        if (events.has(PortEvent::ctsChanged) && live() && OnCts)
            callHandler(OnCts, *this);
        if (events.has(PortEvent::dsrChanged) && live() && OnDsr)
            callHandler(OnDsr, *this);
        if (events.has(PortEvent::lineError) || events.has(PortEvent::hangUp)) {
            if (live() && OnError)
                callHandler(OnError, *this, static_cast<int>(commErrorsOf(errors)));
            if (live() && OnLineError)
                callHandler(OnLineError, *this, errors);
        }
        if (events.has(PortEvent::ringIndicator) && live() && OnRing)
            callHandler(OnRing, *this);
        if (events.has(PortEvent::carrierChanged) && live() && OnRlsd)
            callHandler(OnRlsd, *this);
        if (events.has(PortEvent::inputAvailable) && status.inputCount > 0 && live() && OnRxChar) {
            callHandler(OnRxChar, *this, static_cast<int>(status.inputCount));
        }
        if (events.has(PortEvent::eventCharReceived) && live() && OnRxFlag)
            callHandler(OnRxFlag, *this);
        if (events.has(PortEvent::outputDrained) && live() && OnTxEmpty)
            callHandler(OnTxEmpty, *this);
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        if (delivery.OwnerAlive() && OnHandlerException) {
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
