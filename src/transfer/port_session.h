#pragma once
// What every transfer session does with its port, written once: it binds itself to the
// port's receive, line-error and handler-failure notifications for its lifetime, reads what
// each receive notification reports into its protocol, ends the transfer when the device goes
// away, and abandons it when reading or writing the port fails (also when that failure is
// raised inside a handler). The dialogs' controllers, the command-line tool and the
// benchmarks all get this binding by creating a session.

#include "serial/comm.h"
#include "transfer/transfer_view.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace bv3::transfer {

class PortSession {
public:
    // Binds the session's handlers to `comm`; the port and the view must outlive it.
    PortSession(serial::TComm& comm, TransferView& view);
    // Unbinds the handlers, so the port never calls a session that is gone.
    virtual ~PortSession();
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

    void setFilePath(std::string path) { filePath_ = std::move(path); }
    const std::string& filePath() const { return filePath_; }

    // The receive notification: count bytes wait in the port. Read in pieces of at most 128
    // until all are handled or the protocol has finished.
    void onRxChar(int count);
    // The port's line errors; a vanished device ends the transfer.
    void onLineError(platform::LineErrors errors);
    // Ends the transfer because the line is gone or broken, for the given reason.
    void abandon(const std::string& reason);

    bool failed() const { return failure_.has_value(); }
    const std::optional<TransferFailure>& failure() const { return failure_; }
    // Bytes taken from the port since the session was created: a caller that limits the
    // receiver's silence watches it grow.
    std::uint64_t bytesReceived() const { return bytesReceived_; }

protected:
    serial::TComm& comm() { return comm_; }
    TransferView& view() { return view_; }
    // Writes the protocol's bytes to the port in one write.
    void sendToPort(std::span<const std::uint8_t> bytes) { comm_.Write(bytes); }

    // The protocol's part: one received piece, and whether the transfer has finished.
    virtual void receivePiece(std::span<const std::uint8_t> piece) = 0;
    virtual bool protocolFinished() const = 0;
    // Ends the transfer with `failure` (its path and device filled in): the session's own
    // order of stopping, releasing and reporting.
    virtual void fail(TransferFailure failure) = 0;

    std::optional<TransferFailure> failure_;

private:
    serial::TComm& comm_;
    TransferView& view_;
    std::string filePath_;
    std::uint64_t bytesReceived_ = 0;
};

}  // namespace bv3::transfer
