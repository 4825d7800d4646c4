#pragma once
// The PC side of the STB-to-PC upload: a state machine fed one received byte at a time. It
// requests the receiver's EEPROM block and its 96 flash blocks, keeps the complement of every
// data byte (the receiver image format stores memory complemented), and restarts the current
// block when the watchdog reports 3000 ms of silence.
//
// A block is counted by its data bytes; bytes that still come before its ETX are answered
// with ACK like any other but mean that the line inserted bytes into the block (noise), so
// what was stored is shifted. Such a block is read again: once its ETX is answered, the same
// read request (same address, same size) is sent instead of the next one. After
// maxBlockRereads re-reads of one block the transfer fails (UploadFailure) rather than store
// an image known to be wrong.

#include "transfer/protocol_bytes.h"
#include "transfer/transfer_host.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace bv3::transfer {

// Re-reads of one block that arrived with bytes in excess before the transfer is given up:
// a line that garbles a 4 KiB block this often will not carry 400 KiB.
inline constexpr int maxBlockRereads = 5;

// The transfer cannot complete with a correct image; the text says why.
class UploadFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class UploadState : std::uint8_t {
    Connect = 0,
    SendMode = 1,
    RequestEeprom = 2,
    ReceiveEeprom = 3,
    RequestFlash = 4,
    ReceiveFlash = 5,
    SendEnd = 6,
};

// 0 before any read request, 1 while the EEPROM block is requested, 2 once flash is.
enum class UploadPhase : std::int32_t { Idle = 0, Eeprom = 1, Flash = 2 };

class UploadProtocol {
public:
    explicit UploadProtocol(UploadHost& host);

    // The reset done when the dialog is shown: back to waiting for the announcement.
    void reset();

    // One notification's worth of received bytes: the watchdog is stopped while they are
    // handled and started again afterwards. Ignored once the transfer has finished.
    void receive(std::span<const std::uint8_t> bytes);

    // Handles one received byte in the current state. Throws UploadFailure when a block has
    // been received wrong more than maxBlockRereads times in a row.
    void handleByte(std::uint8_t b);

    // The watchdog fired: report the retry and restart the current block's request.
    void watchdogFired();

    // Ends the transfer without completing it (the line is gone): nothing more is handled.
    void stop();

    bool finished() const { return finished_; }
    UploadState state() const { return state_; }
    UploadPhase phase() const { return phase_; }
    std::int32_t retryCount() const { return retryCount_; }
    std::int32_t remaining() const { return remaining_; }
    // The image as received so far (complemented), uploadImageSize bytes.
    std::span<const std::uint8_t> image() const { return {image_.data(), static_cast<std::size_t>(uploadImageSize)}; }

private:
    void send(std::uint8_t b);
    std::int32_t blockOffset() const { return uploadImageSize - remaining_; }

    void onConnect(std::uint8_t b);
    void onSendMode();
    void onRequestEeprom();
    void onReceive(std::uint8_t b, bool eeprom);
    void onRequestFlash();
    void onSendEnd();
    // The current block's ETX has been answered but the block held bytes in excess.
    void rereadBlock(bool eeprom);
    void reportRetry();
    // Steps 1..9 of a read request for blockSize_ bytes at address.
    void sendRequestStep(std::int32_t address, UploadState receiveState);

    UploadHost& host_;
    UploadState state_ = UploadState::Connect;
    std::uint8_t step_ = 0;
    bool connected_ = false;
    std::uint8_t outbyte_ = 0;
    std::int32_t remaining_ = uploadImageSize;
    std::int32_t blockSize_ = 0;
    std::int32_t blockCount_ = 0;
    std::int32_t writePos_ = 0;
    std::int32_t retryCount_ = 0;
    bool blockWrong_ = false;  // bytes in excess arrived after the block's count
    int rereads_ = 0;          // of the current block
    UploadPhase phase_ = UploadPhase::Idle;
    bool finished_ = false;
    // One byte longer than the image, so that writePos can never run past its end.
    std::vector<std::uint8_t> image_ = std::vector<std::uint8_t>(uploadImageSize + 1, 0);
};

}  // namespace bv3::transfer
