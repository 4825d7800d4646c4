#pragma once
// What a transfer protocol needs from whoever runs it: a dialog, the command-line tool, or a
// test's fake link. The protocols only decide; the host sends, shows and finishes. What is
// shown travels as values (transfer_events.h), never as text.

#include "transfer/transfer_events.h"
#include "transfer/transfer_progress.h"

#include <cstdint>
#include <span>

namespace bv3::transfer {

class TransferHost {
public:
    virtual ~TransferHost() = default;
    // Writes the bytes to the port in one write.
    virtual void sendBytes(std::span<const std::uint8_t> bytes) = 0;
    // Where the protocol reports how far it has come.
    virtual TransferProgress& progress() = 0;
};

class UploadHost : public TransferHost {
public:
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
