#pragma once
// The words of the transfer dialogs and of `bv3 upload`/`bv3 download`: the one place where
// the typed transfer events become text. Both dialog families and the command-line view draw
// from here, so the same event reads the same everywhere.

#include "transfer/transfer_events.h"
#include "transfer/transfer_view.h"

#include <string>

namespace bv3::transfer {

// The dialog's three text lines: status, block counter, retry line.
enum class StatusLine { Label1, Label2, Label3 };

std::string phaseText(TransferPhase phase);
// "[position/total]".
std::string counterText(BlockCounter counter);
std::string retryText(RetryNotice retry);
// The failure in one sentence, as `bv3` reports it.
std::string failureText(const TransferFailure& failure);
// The status line's words for a failure: a refused request reads "Error: ...".
std::string failureStatusText(const TransferFailure& failure);
// The message box's words for a failure.
std::string failureReportText(const TransferFailure& failure);

// A view that shows the events as the form's text lines and reports failures as one text.
class TextLinesView : public TransferView {
public:
    void showPhase(TransferPhase phase) override { showLine(StatusLine::Label1, phaseText(phase)); }
    void showCounter(BlockCounter counter) override { showLine(StatusLine::Label2, counterText(counter)); }
    void showRetry(RetryNotice retry) override { showLine(StatusLine::Label3, retryText(retry)); }
    void showFailure(const TransferFailure& failure) override {
        showLine(StatusLine::Label1, failureStatusText(failure));
    }
    void reportFailure(const TransferFailure& failure) override { reportText(failureReportText(failure)); }

    virtual void showLine(StatusLine line, const std::string& text) = 0;

protected:
    // A failure the person must see (a message box in the dialogs).
    virtual void reportText(const std::string& text) = 0;
};

}  // namespace bv3::transfer
