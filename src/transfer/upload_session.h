#pragma once
// One upload as the dialog and the command-line tool run it: the protocol bound to a serial
// port, a watchdog and a view, with the image stored at the end and Cancel deleting the target.

#include "safe_write/safe_write.h"
#include "transfer/port_session.h"
#include "transfer/upload_protocol.h"

#include <memory>

namespace bv3::transfer {

class UploadSession final : public PortSession, private UploadHost {
public:
    UploadSession(serial::TComm& comm, TransferView& view, Watchdog& watchdog);

    // Creates the temporary the image will be written to, beside the target, so that a
    // target that can never be written (a missing folder, a read-only file) is refused before
    // the transfer rather than after it. Throws safewrite::SafeWriteError. Optional: without
    // it the temporary is created when the image is complete.
    void prepareTarget();
    // Showing the dialog: opens the port, then resets the transfer. Throws ECommError when
    // the port cannot be opened, and then resets nothing.
    void start();
    // Timer1Timer.
    void onWatchdog();
    // Cancel: deletes the target file if one exists (a host may rely on its absence after a
    // cancelled upload), then closes.
    void cancel();

    bool completed() const { return completed_; }
    const UploadProtocol& protocol() const { return protocol_; }

private:
    void sendBytes(std::span<const std::uint8_t> bytes) override { sendToPort(bytes); }
    TransferProgress& progress() override { return view(); }
    void setWatchdog(bool enabled) override { watchdog_.setWatchdogRunning(enabled); }
    void completeUpload(std::span<const std::uint8_t> image) override;
    void receivePiece(std::span<const std::uint8_t> piece) override { protocol_.receive(piece); }
    bool protocolFinished() const override { return protocol_.finished(); }
    // The line is gone or broken (abandon, a vanished device): the port is released and
    // nothing is written.
    void fail(TransferFailure failure) override;

    Watchdog& watchdog_;
    UploadProtocol protocol_{*this};
    std::unique_ptr<safewrite::ReplacingFile> target_;
    bool completed_ = false;
};

}  // namespace bv3::transfer
