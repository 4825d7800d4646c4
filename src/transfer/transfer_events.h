#pragma once
// What a transfer reports while it runs, as values. The protocols and sessions only say what
// happened; the views (the dialogs, the command-line tool) decide the words, so no decision
// anywhere depends on how a message is phrased.

#include <cstdint>
#include <string>

namespace bv3::transfer {

// The stage a transfer has reached; each has its own status line.
enum class TransferPhase : std::uint8_t {
    Waiting,            // the dialog is up, the receiver has not announced itself
    Connected,          // the receiver's announcement arrived
    SendingUploadMode,  // upload: the mode frame with the image size
    ReceivingEeprom,    // upload: the EEPROM block
    ReceivingFlash,     // upload: the flash blocks
    ServingRequests,    // download: answering the receiver's requests for file ranges
};

// Where the transfer stands: the upload's 4 KB unit out of 98, or the download's byte offset
// out of the file size.
struct BlockCounter {
    std::int64_t position = 0;
    std::int64_t total = 0;

    bool operator==(const BlockCounter&) const = default;
};

// The upload's watchdog restarted the current block: the retry count so far and the image
// offset of the block.
struct RetryNotice {
    std::int32_t count = 0;
    std::int32_t offset = 0;

    bool operator==(const RetryNotice&) const = default;
};

// Why a transfer ended without completing. The fields beyond `kind` are filled as the kind
// needs them; `detail` carries the system's or the reader's own reason.
struct TransferFailure {
    enum class Kind : std::uint8_t {
        SourceUnopenable,  // download: the file to send cannot be opened (path, detail)
        NoSource,          // download: a request arrived while no file is open
        EmptySource,       // download: a request arrived for an empty file
        RequestBeyondEnd,  // download: length bytes at address, past fileSize
        SourceUnreadable,  // download: reading the requested range failed (detail)
        DeviceGone,        // the serial device vanished (device)
        LineBroken,        // reading or writing the port failed (device, detail)
        TargetUnwritten,   // upload: the received image could not be stored (detail)
    };

    Kind kind = Kind::LineBroken;
    std::string path{};
    std::string device{};
    std::string detail{};
    std::int64_t length = 0;
    std::int64_t address = 0;
    std::int64_t fileSize = 0;
    // An abandoned upload leaves its target alone; the report says so.
    bool targetUntouched = false;

    // A request of the receiver that the download cannot serve (the receiver is told by the
    // transfer ending, not by a reply).
    bool refusesRequest() const {
        return kind == Kind::NoSource || kind == Kind::EmptySource || kind == Kind::RequestBeyondEnd ||
               kind == Kind::SourceUnreadable;
    }
};

}  // namespace bv3::transfer
