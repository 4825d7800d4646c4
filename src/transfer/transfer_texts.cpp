#include "transfer/transfer_texts.h"

namespace bv3::transfer {

std::string phaseText(TransferPhase phase) {
    switch (phase) {
        case TransferPhase::Waiting:
            return "Waiting for Qorda Connection...";
        case TransferPhase::Connected:
            return "Qorda STB Connection...";
        case TransferPhase::SendingUploadMode:
            return "Transferring STB action mode...";
        case TransferPhase::ReceivingEeprom:
            return "Transferring and Receiving STB EEPROM data...";
        case TransferPhase::ReceivingFlash:
            return "Transferring and Receiving STB Flash data...";
        case TransferPhase::ServingRequests:
            return "Transferring and Receiving STB flash data...";
    }
    return {};
}

std::string counterText(BlockCounter counter) {
    return "[" + std::to_string(counter.position) + "/" + std::to_string(counter.total) + "]";
}

std::string retryText(RetryNotice retry) {
    return "Serial Error : Retry [" + std::to_string(retry.count) + "] at " + std::to_string(retry.offset);
}

std::string failureText(const TransferFailure& failure) {
    using Kind = TransferFailure::Kind;
    switch (failure.kind) {
        case Kind::SourceUnopenable:
            return "Cannot open " + failure.path + ": " + failure.detail;
        case Kind::NoSource:
            return "the file to send could not be opened";
        case Kind::EmptySource:
            return "the file to send is empty";
        case Kind::RequestBeyondEnd:
            return "request for " + std::to_string(failure.length) + " bytes at " + std::to_string(failure.address) +
                   " is beyond the end of the file (" + std::to_string(failure.fileSize) + " bytes)";
        case Kind::SourceUnreadable:
        case Kind::TargetUnwritten:
            return failure.detail;
        case Kind::DeviceGone:
            return "Transfer failed on " + failure.device + ": the device went away";
        case Kind::LineBroken:
            return "Transfer failed on " + failure.device + ": " + failure.detail;
    }
    return failure.detail;
}

std::string failureStatusText(const TransferFailure& failure) {
    return failure.refusesRequest() ? "Error: " + failureText(failure) : failureText(failure);
}

std::string failureReportText(const TransferFailure& failure) {
    std::string text = failureText(failure);
    if (failure.targetUntouched) {
        text += ". Nothing was written to " + failure.path + ".";
    }
    return text;
}

}  // namespace bv3::transfer
