// The words the transfer's typed events are shown with, in the dialogs and on the command
// line: each event's wording is stated here once; the protocol and session tests check the
// events themselves.
#include "transfer/transfer_texts.h"

#include <gtest/gtest.h>

namespace bv3::transfer {
namespace {

TEST(TransferTexts, PhasesCountersAndRetries) {
    const std::pair<TransferPhase, const char*> phases[] = {
        {TransferPhase::Waiting, "Waiting for Qorda Connection..."},
        {TransferPhase::Connected, "Qorda STB Connection..."},
        {TransferPhase::SendingUploadMode, "Transferring STB action mode..."},
        {TransferPhase::ReceivingEeprom, "Transferring and Receiving STB EEPROM data..."},
        {TransferPhase::ReceivingFlash, "Transferring and Receiving STB Flash data..."},
        {TransferPhase::ServingRequests, "Transferring and Receiving STB flash data..."},
    };
    for (const auto& [phase, text] : phases) {
        EXPECT_EQ(phaseText(phase), text);
    }
    EXPECT_EQ(counterText({0, 98}), "[0/98]");
    EXPECT_EQ(counterText({356, 1000}), "[356/1000]");
    EXPECT_EQ(retryText({1, 0}), "Serial Error : Retry [1] at 0");
    EXPECT_EQ(retryText({2, 401408}), "Serial Error : Retry [2] at 401408");
}

TEST(TransferTexts, RefusedRequestsReadAsErrorsOnTheStatusLine) {
    using Kind = TransferFailure::Kind;
    const std::pair<TransferFailure, const char*> cases[] = {
        {{.kind = Kind::RequestBeyondEnd, .length = 200, .address = 900, .fileSize = 1000},
         "Error: request for 200 bytes at 900 is beyond the end of the file (1000 bytes)"},
        {{.kind = Kind::NoSource}, "Error: the file to send could not be opened"},
        {{.kind = Kind::EmptySource}, "Error: the file to send is empty"},
        {{.kind = Kind::SourceUnreadable, .detail = "short read"}, "Error: short read"},
        // A failure of the line is not a refused request: no "Error:" before it.
        {{.kind = Kind::DeviceGone, .device = "Com2"}, "Transfer failed on Com2: the device went away"},
    };
    for (const auto& [failure, text] : cases) {
        EXPECT_EQ(failureStatusText(failure), text);
    }
}

TEST(TransferTexts, AnAbandonedUploadSaysItsTargetIsUntouched) {
    const TransferFailure failure{.kind = TransferFailure::Kind::LineBroken,
                                  .path = "up.raw",
                                  .device = "Com1",
                                  .detail = "Read error",
                                  .targetUntouched = true};
    EXPECT_EQ(failureReportText(failure), "Transfer failed on Com1: Read error. Nothing was written to up.raw.");
}

}  // namespace
}  // namespace bv3::transfer
