#pragma once
// The PC side of the PC-to-STB download: after the announcement and the mode frame, the
// receiver asks for ranges of the source file by offset and length and the PC sends those
// bytes unchanged, in chunks of at most 128, each after one byte from the receiver, until the
// receiver's end request.

#include "transfer/protocol_bytes.h"
#include "transfer/transfer_host.h"

#include <cstdint>
#include <optional>
#include <span>

namespace bv3::transfer {

enum class DownloadState : std::uint8_t { Connect = 0, SendMode = 1, ReceiveRequest = 2, SendBlock = 3 };

class DownloadProtocol {
public:
    explicit DownloadProtocol(DownloadHost& host);

    // The reset done when the dialog is shown. fileSize is empty when the source file could
    // not be opened; every request is then refused.
    void reset(std::optional<std::int64_t> fileSize);

    // One notification's worth of received bytes; ignored once the transfer has finished.
    void receive(std::span<const std::uint8_t> bytes);
    void handleByte(std::uint8_t b);

    // Ends the transfer without the end request (cancelled, or the line is gone).
    void stop() { finished_ = true; }

    // The receiver's last request was the end request.
    bool endRequested() const { return endRequested_; }
    bool finished() const { return finished_; }
    DownloadState state() const { return state_; }

private:
    void send(std::uint8_t b);
    void finish();
    void onConnect(std::uint8_t b);
    void onSendMode();
    void onReceiveRequest(std::uint8_t b);
    void onSendBlock();
    void sendChunk();
    // Refuses a request that the file cannot serve, with the reason in the status line.
    bool requestIsServable();

    DownloadHost& host_;
    DownloadState state_ = DownloadState::Connect;
    std::uint8_t step_ = 0;
    bool connected_ = false;
    std::uint8_t outbyte_ = 0;
    std::int32_t length_ = 0;
    std::int32_t address_ = 0;
    bool endRequested_ = false;
    std::optional<std::int64_t> fileSize_;
    bool finished_ = false;
};

}  // namespace bv3::transfer
