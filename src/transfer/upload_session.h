#pragma once
// One upload as the dialog and the command-line tool run it: the protocol bound to a serial
// port, a watchdog and a view, with the image stored at the end and Cancel deleting the target.

#include "serial/comm.h"
#include "transfer/transfer_view.h"
#include "safe_write/safe_write.h"
#include "transfer/upload_protocol.h"

#include <memory>
#include <optional>
#include <string>

namespace bv3::transfer {

class UploadSession final : private UploadHost {
public:
    UploadSession(serial::TComm& comm, TransferView& view, Watchdog& watchdog);

    void setFilePath(std::string path) { filePath_ = std::move(path); }
    const std::string& filePath() const { return filePath_; }

    // Creates the temporary the image will be written to, beside the target, so that a
    // target that can never be written (a missing folder, a read-only file) is refused before
    // the transfer rather than after it. Throws safewrite::SafeWriteError. Optional: without
    // it the temporary is created when the image is complete.
    void prepareTarget();
    // Showing the dialog: opens the port, then resets the transfer. Throws ECommError when
    // the port cannot be opened, and then resets nothing.
    void start();
    // Comm1RxChar: count bytes wait in the port.
    void onRxChar(int count);
    // Comm1's error notification; a vanished device ends the transfer.
    void onLineError(int errors);
    // Timer1Timer.
    void onWatchdog();
    // Cancel: deletes the target file if one exists (a host may rely on its absence after a
    // cancelled upload), then closes.
    void cancel();
    // Ends the transfer because the line is gone or broken: port released, nothing written.
    void abandon(const std::string& reason);

    bool completed() const { return completed_; }
    bool failed() const { return failure_.has_value(); }
    const std::optional<TransferFailure>& failure() const { return failure_; }
    const UploadProtocol& protocol() const { return protocol_; }

private:
    void sendBytes(std::span<const std::uint8_t> bytes) override;
    void showPhase(TransferPhase phase) override { view_.showPhase(phase); }
    void showCounter(BlockCounter counter) override { view_.showCounter(counter); }
    void showRetry(RetryNotice retry) override { view_.showRetry(retry); }
    void showProgress(int percent) override { view_.showProgress(percent); }
    void showTransferred(std::int64_t done, std::int64_t total) override { view_.showTransferred(done, total); }
    void setWatchdog(bool enabled) override { watchdog_.setWatchdogRunning(enabled); }
    void completeUpload(std::span<const std::uint8_t> image) override;
    void fail(TransferFailure failure);

    serial::TComm& comm_;
    TransferView& view_;
    Watchdog& watchdog_;
    UploadProtocol protocol_{*this};
    std::string filePath_;
    std::unique_ptr<safewrite::ReplacingFile> target_;
    bool completed_ = false;
    std::optional<TransferFailure> failure_;
};

}  // namespace bv3::transfer
