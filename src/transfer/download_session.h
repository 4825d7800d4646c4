#pragma once
// One download as the dialog and the command-line tool run it: the protocol bound to a serial
// port, the source file (opened for reading only) and a view.

#include "serial/comm.h"
#include "transfer/download_protocol.h"
#include "transfer/transfer_view.h"

#include <fstream>
#include <optional>
#include <string>

namespace bv3::transfer {

class DownloadSession final : private DownloadHost {
public:
    DownloadSession(serial::TComm& comm, TransferView& view);

    void setFilePath(std::string path) { filePath_ = std::move(path); }
    const std::string& filePath() const { return filePath_; }

    // Showing the dialog: opens the port (throws ECommError and does nothing else when it
    // cannot), resets the transfer and opens the file for reading. A file that cannot be
    // opened is reported; the receiver's requests are then refused.
    void start();
    void onRxChar(int count);
    void onLineError(int errors);
    // Cancel, Escape and the close box: release the port and the file and close.
    void cancel() { finish(); }
    // Ends the transfer because reading or writing the port failed, for the given reason.
    void abandon(const std::string& reason);

    // The receiver's end request arrived.
    bool completed() const { return completed_; }
    bool failed() const { return failure_.has_value(); }
    const std::optional<TransferFailure>& failure() const { return failure_; }
    const DownloadProtocol& protocol() const { return protocol_; }

private:
    void sendBytes(std::span<const std::uint8_t> bytes) override;
    void showPhase(TransferPhase phase) override { view_.showPhase(phase); }
    void showCounter(BlockCounter counter) override { view_.showCounter(counter); }
    void refuseRequest(const TransferFailure& refusal) override;
    void showProgress(int percent) override { view_.showProgress(percent); }
    void showTransferred(std::int64_t done, std::int64_t total) override { view_.showTransferred(done, total); }
    void readSource(std::uint32_t offset, std::span<std::uint8_t> into) override;
    void finish() override;
    void fail(TransferFailure failure);

    serial::TComm& comm_;
    TransferView& view_;
    DownloadProtocol protocol_{*this};
    std::string filePath_;
    std::ifstream file_;
    bool closed_ = false;
    bool completed_ = false;
    std::optional<TransferFailure> failure_;
};

}  // namespace bv3::transfer
