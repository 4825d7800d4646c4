#pragma once
// How far a transfer has come, as values: what the protocols report and the views show. The
// sessions pass the view itself to their protocol, so nothing in between forwards it.

#include "transfer/transfer_events.h"

#include <cstdint>

namespace bv3::transfer {

class TransferProgress {
public:
    virtual ~TransferProgress() = default;
    virtual void showPhase(TransferPhase phase) = 0;
    virtual void showCounter(BlockCounter counter) = 0;
    // The upload's watchdog restarted the current block; only the upload's form has a retry
    // line.
    virtual void showRetry(RetryNotice retry) { (void)retry; }
    // The gauge's percentage (the gauge itself ignores values above 100).
    virtual void showProgress(int percent) = 0;
    // Bytes moved so far of the whole transfer, for rates and time estimates.
    virtual void showTransferred(std::int64_t done, std::int64_t total) { (void)done, (void)total; }
};

}  // namespace bv3::transfer
