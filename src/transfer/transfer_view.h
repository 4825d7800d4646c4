#pragma once
// What a transfer session shows and how it ends, seen from the session: the dialog implements
// it with its labels, gauge and timer, the command-line tool with a terminal progress bar.

#include "transfer/transfer_host.h"

#include <cstdint>
#include <string>

namespace bv3::transfer {

class TransferView {
public:
    virtual ~TransferView() = default;
    virtual void showText(StatusLine line, const std::string& text) = 0;
    virtual void showProgress(int percent) = 0;
    // Bytes moved so far of the whole transfer, for rates and time estimates.
    virtual void showTransferred(std::int64_t done, std::int64_t total) { (void)done, (void)total; }
    // A failure the person must see (a message box in the dialog, stderr in the tool).
    virtual void reportError(const std::string& text) = 0;
    // The transfer is over (completed, cancelled or failed): close the dialog / end the loop.
    virtual void close() = 0;
};

// The upload's watchdog timer.
class Watchdog {
public:
    virtual ~Watchdog() = default;
    // Enabling (re)starts the interval; disabling stops it.
    virtual void setEnabled(bool enabled) = 0;
};

}  // namespace bv3::transfer
