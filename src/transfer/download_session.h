#pragma once
// One download as the dialog and the command-line tool run it: the protocol bound to a serial
// port, the source file (opened for reading only) and a view.

#include "transfer/download_protocol.h"
#include "transfer/port_session.h"

#include <fstream>

namespace bv3::transfer {

class DownloadSession final : public PortSession, private DownloadHost {
public:
    DownloadSession(serial::TComm& comm, TransferView& view);

    // Showing the dialog: opens the port (throws ECommError and does nothing else when it
    // cannot), resets the transfer and opens the file for reading. A file that cannot be
    // opened is reported; the receiver's requests are then refused.
    void start();
    // Cancel, Escape and the close box: release the port and the file and close.
    void cancel() { finish(); }
    // The receiver's end request arrived.
    bool completed() const { return completed_; }
    const DownloadProtocol& protocol() const { return protocol_; }

private:
    void sendBytes(std::span<const std::uint8_t> bytes) override { sendToPort(bytes); }
    TransferProgress& progress() override { return view(); }
    void refuseRequest(const TransferFailure& refusal) override;
    void readSource(std::uint32_t offset, std::span<std::uint8_t> into) override;
    void finish() override;
    void receivePiece(std::span<const std::uint8_t> piece) override { protocol_.receive(piece); }
    bool protocolFinished() const override { return protocol_.finished(); }
    void fail(TransferFailure failure) override;

    DownloadProtocol protocol_{*this};
    std::ifstream file_;
    bool closed_ = false;
    bool completed_ = false;
};

}  // namespace bv3::transfer
