#include "transfer/upload_session.h"

#include <filesystem>
#include <system_error>

namespace bv3::transfer {

UploadSession::UploadSession(serial::TComm& comm, TransferView& view, Watchdog& watchdog)
    : PortSession(comm, view), watchdog_(watchdog) {}

void UploadSession::prepareTarget() {
    target_ = std::make_unique<safewrite::ReplacingFile>(filePath());
}

void UploadSession::start() {
    comm().Open();
    protocol_.reset();
    completed_ = false;
    failure_.reset();
}

void UploadSession::onWatchdog() {
    try {
        protocol_.watchdogFired();
    } catch (const std::exception& failure) {
        abandon(failure.what());
    }
}

void UploadSession::cancel() {
    protocol_.stop();
    target_.reset();
    std::error_code ignored;
    if (!filePath().empty() && std::filesystem::exists(filePath(), ignored)) {
        std::filesystem::remove(filePath(), ignored);
    }
    view().close();
}

void UploadSession::fail(TransferFailure failure) {
    protocol_.stop();
    comm().Close();
    target_.reset();
    failure.targetUntouched = true;
    failure_ = std::move(failure);
    view().showFailure(*failure_);
    view().reportFailure(*failure_);
}

void UploadSession::completeUpload(std::span<const std::uint8_t> image) {
    try {
        if (!target_) {
            prepareTarget();
        }
        target_->write(std::as_bytes(image));
        target_->commit();
        completed_ = true;
    } catch (const std::exception& failure) {
        failure_ = TransferFailure{.kind = TransferFailure::Kind::TargetUnwritten, .path = filePath(), .detail = failure.what()};
    }
    target_.reset();
    comm().Close();
    if (failure_) {
        view().showFailure(*failure_);
        view().reportFailure(*failure_);
    }
    view().close();
}

}  // namespace bv3::transfer
