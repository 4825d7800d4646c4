#pragma once
// TComm: the serial port component. It owns one serial device, applies the line settings
// (rate, framing, flow control, special characters, queue sizes, time-outs), reads and writes
// bounded by its own time-outs, and runs an event thread that waits for the device's
// communication events and hands each one to the UI thread, where the matching handler runs.
//
// Every operation is called on the UI thread. Handlers run on the UI thread, one at a time; a
// handler may call Close(). Failures raise ECommError. Before Open() a UI thread must be
// installed (platform/ui_thread.h; Qt programs call bv3::platform::useQtUiThread()).

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/serial_port.h"
#include "serial/comm_control_block.h"
#include "serial/comm_error.h"
#include "serial/comm_event_thread.h"
#include "serial/comm_objs.h"
#include "serial/comm_types.h"

namespace bv3::platform {
class UiThread;
}

namespace bv3::serial {

class TCustomComm;
class TComm;

// The five special characters of the line: XON/XOFF for software flow control, the character
// that replaces a byte received with a parity error, the end-of-data and the event character.
class TCommEventChars {
public:
    explicit TCommEventChars(TCustomComm* owner = nullptr);
    TCommEventChars(const TCommEventChars&) = delete;
    TCommEventChars& operator=(const TCommEventChars&) = delete;

    std::uint8_t XonChar() const { return chars_[0]; }
    std::uint8_t XoffChar() const { return chars_[1]; }
    std::uint8_t ErrorChar() const { return chars_[2]; }
    std::uint8_t EofChar() const { return chars_[3]; }
    std::uint8_t EvtChar() const { return chars_[4]; }
    // Each setter stores the character, then has the owner re-apply the line settings (which
    // does nothing while the port is closed).
    void SetXonChar(std::uint8_t c) { SetEventChar(1, c); }
    void SetXoffChar(std::uint8_t c) { SetEventChar(2, c); }
    void SetErrorChar(std::uint8_t c) { SetEventChar(3, c); }
    void SetEofChar(std::uint8_t c) { SetEventChar(4, c); }
    void SetEvtChar(std::uint8_t c) { SetEventChar(5, c); }

    // Copies the five characters of `source`; applies nothing.
    void Assign(const TCommEventChars& source);

private:
    void SetEventChar(int index, std::uint8_t c);  // index 1..5 in the order above

    TCustomComm* owner_;
    std::uint8_t chars_[5] = {17, 19, 0, 0, 0};
};

class TCustomComm {
public:
    TCustomComm();
    virtual ~TCustomComm();
    TCustomComm(const TCustomComm&) = delete;
    TCustomComm& operator=(const TCustomComm&) = delete;

    // --- operations -------------------------------------------------------------------------
    bool IsOpen() const { return FHandle != nullptr; }
    // Opens DeviceName and starts event delivery. Raises ECommError.
    void Open();
    // Stops the event thread and closes the device; nothing when closed. May be called from a
    // handler. No notification is delivered for this port after it returns.
    void Close();
    // Sends the bytes; returns how many were written, or -1 when WriteTimeout elapsed first.
    // Raises ECommError "Write error".
    std::int32_t Write(std::span<const std::uint8_t> buffer);
    // Reads up to buffer.size() bytes that already wait in the input queue (0 when none, at
    // once); -1 when ReadTimeout elapsed first. Raises ECommError "Read error".
    std::int32_t Read(std::span<std::uint8_t> buffer);

    // --- properties -------------------------------------------------------------------------
    // Changing DeviceName, MonitorEvents, ReadBufSize or WriteBufSize while open raises "Port
    // already assigned (open)"; line settings reach the device at once while open. Setting a
    // property to the value it holds does nothing.
    const std::string& DeviceName() const { return FDeviceName; }
    void SetDeviceName(const std::string& value);
    std::int32_t ReadTimeout() const { return FReadTimeout; }
    void SetReadTimeout(std::int32_t ms) { FReadTimeout = ms; }
    std::int32_t WriteTimeout() const { return FWriteTimeout; }
    void SetWriteTimeout(std::int32_t ms) { FWriteTimeout = ms; }
    std::int32_t ReadBufSize() const { return FReadBufSize; }
    void SetReadBufSize(std::int32_t value);
    std::int32_t WriteBufSize() const { return FWriteBufSize; }
    void SetWriteBufSize(std::int32_t value);
    TCommEventTypes MonitorEvents() const { return FMonitorEvents; }
    void SetMonitorEvents(TCommEventTypes value);
    TBaudrate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudrate value);
    TParity Parity() const { return FParity; }
    void SetParity(TParity value);
    TStopbits Stopbits() const { return FStopbits; }
    void SetStopbits(TStopbits value);
    TDatabits Databits() const { return FDatabits; }
    void SetDatabits(TDatabits value);
    TCommEventChars& EventChars() { return *FEventChars; }
    const TCommEventChars& EventChars() const { return *FEventChars; }
    TCommOptions Options() const { return FOptions; }
    void SetOptions(TCommOptions value);
    TFlowControl FlowControl() const { return FFlowControl; }
    void SetFlowControl(TFlowControl value);

    // The line settings as last written by ApplyLineSettings, as a control block. Open starts
    // them from the settings the device has; after that they are the component's own record.
    Dcb ControlBlock() const;

    // Re-applies the line settings to the open device (nothing while closed).
    void ApplyLineSettings();

protected:
    // Opens the device into FHandle; Open uses it. Raises ECommError.
    virtual void CreateHandle();
    // The flow control's step of ApplyLineSettings, on a control block: the modem-line and
    // XON/XOFF bits FlowControl asks for (fcNone clears every flag but fBinary).
    void ApplyFlowControl(Dcb& dcb) const;
    // Whether anyone listens for the output queue running empty. The port watches for it
    // only then: a terminal has to look at its output queue after every write to tell, and a
    // lock-step transfer would get a notification of its own for every byte it sends.
    virtual bool ListensForTxEmpty() const { return true; }
    // The notification the event thread delivers on the UI thread: the events that occurred,
    // errors the event thread adds to the device's own, and whether the component still
    // exists once a handler has returned.
    virtual void HandleCommEvent(platform::PortEvents events, platform::LineErrors lineErrors,
                                 const TCommEventThread::Delivery& delivery) = 0;

    std::unique_ptr<platform::SerialPort> FHandle;  // the port handle; null while closed

private:
    void RefuseWhileOpen() const;
    // The port events MonitorEvents stands for, without the drained output while no one
    // listens for it.
    platform::PortEvents WatchedEvents() const;

    std::string FDeviceName = "Com2";
    std::unique_ptr<TCriticalSection> FCriticalSection;  // the I/O lock
    std::int32_t FReadTimeout = 1000;
    std::int32_t FWriteTimeout = 1000;
    std::int32_t FReadBufSize = 4096;
    std::int32_t FWriteBufSize = 2048;
    TCommEventTypes FMonitorEvents = TCommEventTypes::All();
    TBaudrate FBaudRate = TBaudrate::br9600;
    TParity FParity = TParity::paNone;
    TStopbits FStopbits = TStopbits::sb10;
    TDatabits FDatabits = TDatabits::da8;
    std::unique_ptr<TCommEventThread> FEventThread;
    platform::PortEvents FWatched;  // what the open port was last asked to watch
    std::unique_ptr<TCommEventChars> FEventChars;
    TCommOptions FOptions;
    TFlowControl FFlowControl = TFlowControl::fcDefault;

    // The working copy of the line's settings: Open starts it from the device, every
    // ApplyLineSettings writes the properties into it.
    platform::LineSettings FSettings;
};

using TNotifyEvent = std::function<void(TComm& sender)>;
using TCommErrorEvent = std::function<void(TComm& sender, int errors)>;
using TCommRxCharEvent = std::function<void(TComm& sender, int count)>;
// OnError's errors as the line's own typed errors, for callers that decide by them.
using TCommLineErrorEvent = std::function<void(TComm& sender, platform::LineErrors errors)>;
// Not a handler of the port's own: receives what a handler threw, on the UI thread.
using TCommHandlerExceptionEvent = std::function<void(TComm& sender, std::exception_ptr error)>;

class TComm : public TCustomComm {
public:
    TComm() = default;

    // Handlers, empty by default, called on the UI thread in this order for the bits of one
    // event: OnBreak, OnCts, OnDsr, OnError (the error word), OnRing, OnRlsd, OnRxChar (bytes
    // waiting, only when more than 0), OnRxFlag, OnTxEmpty. A hang-up is reported as an error.
    TNotifyEvent OnBreak;
    TNotifyEvent OnCts;
    TNotifyEvent OnDsr;
    TCommErrorEvent OnError;
    // Called right after OnError, with the same errors typed.
    TCommLineErrorEvent OnLineError;
    TNotifyEvent OnRing;
    TNotifyEvent OnRlsd;
    TCommRxCharEvent OnRxChar;
    TNotifyEvent OnRxFlag;
    // The output queue ran empty after a write. Watched only while a handler is assigned: Open
    // and every Write look, so one assigned later hears of the writes after it.
    TNotifyEvent OnTxEmpty;

    // What becomes of an exception that a handler lets escape (e.g. "Read error" raised inside
    // OnRxChar): it is handed here; when empty, its message goes to stderr. Either way event
    // delivery carries on.
    TCommHandlerExceptionEvent OnHandlerException;

protected:
    void HandleCommEvent(platform::PortEvents events, platform::LineErrors lineErrors,
                         const TCommEventThread::Delivery& delivery) override;
    bool ListensForTxEmpty() const override { return static_cast<bool>(OnTxEmpty); }
};

}  // namespace bv3::serial
