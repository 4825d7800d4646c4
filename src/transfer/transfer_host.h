#pragma once
// What a transfer protocol needs from whoever runs it: a dialog, the command-line tool, or a
// test's fake link. The protocols only decide; the host sends, shows and finishes. What is
// shown travels as values (transfer_events.h), never as text.

#include "transfer/transfer_events.h"

#include <cstdint>
#include <span>

namespace bv3::transfer {

class TransferHost {
public:
    virtual ~TransferHost() = default;
    // Writes the bytes to the port in one write.
    virtual void sendBytes(std::span<const std::uint8_t> bytes) = 0;
    virtual void showPhase(TransferPhase phase) = 0;
    virtual void showCounter(BlockCounter counter) = 0;
    // The gauge's percentage (the gauge itself ignores values above 100).
    virtual void showProgress(int percent) = 0;
    // Bytes moved so far of the whole transfer, for rates and time estimates.
    virtual void showTransferred(std::int64_t done, std::int64_t total) { (void)done, (void)total; }
};

class UploadHost : public TransferHost {
public:
    // The watchdog restarted the current block.
    virtual void showRetry(RetryNotice retry) = 0;
    // Enabling (re)starts the watchdog's 3000 ms interval; disabling stops it.
    virtual void setWatchdog(bool enabled) = 0;
    // The end frame has been answered: store the image, release the port, close the dialog.
    virtual void completeUpload(std::span<const std::uint8_t> image) = 0;
};

class DownloadHost : public TransferHost {
public:
    // Fills `into` with the source file's bytes from `offset`; throws when it cannot.
    virtual void readSource(std::uint32_t offset, std::span<std::uint8_t> into) = 0;
    // The receiver asked for something the file cannot give; the transfer finishes next.
    virtual void refuseRequest(const TransferFailure& refusal) = 0;
    // Releases the port and the file and closes the dialog.
    virtual void finish() = 0;
};

}  // namespace bv3::transfer
