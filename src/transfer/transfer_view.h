#pragma once
// What a transfer session shows and how it ends, seen from the session: the dialog implements
// it with its labels, gauge and timer, the command-line tool with a terminal progress bar.
// Everything arrives as values; the view alone chooses the words (transfer_texts.h).

#include "transfer/transfer_events.h"
#include "transfer/transfer_progress.h"

namespace bv3::transfer {

class TransferView : public TransferProgress {
public:
    // The transfer failed: the status line says so.
    virtual void showFailure(const TransferFailure& failure) = 0;
    // A failure the person must see (a message box in the dialog, stderr in the tool).
    virtual void reportFailure(const TransferFailure& failure) = 0;
    // The transfer is over (completed, cancelled or failed): close the dialog / end the loop.
    virtual void close() = 0;
};

// The upload's watchdog timer.
class Watchdog {
public:
    virtual ~Watchdog() = default;
    // Running (re)starts the interval; not running stops it.
    virtual void setWatchdogRunning(bool running) = 0;
};

}  // namespace bv3::transfer
