#include "transfer/upload_session.h"

#include "serial/comm_control_block.h"
#include "transfer/notification_reader.h"

#include <filesystem>
#include <system_error>

namespace bv3::transfer {

UploadSession::UploadSession(serial::TComm& comm, TransferView& view, Watchdog& watchdog)
    : comm_(comm), view_(view), watchdog_(watchdog) {}

void UploadSession::prepareTarget() {
    target_ = std::make_unique<safewrite::ReplacingFile>(filePath_);
}

void UploadSession::start() {
    comm_.Open();
    protocol_.reset();
    completed_ = false;
    failure_.reset();
}

void UploadSession::sendBytes(std::span<const std::uint8_t> bytes) {
    comm_.Write(bytes);
}

void UploadSession::onRxChar(int count) {
    if (protocol_.finished()) {
        return;
    }
    try {
        readNotification(comm_, count, [this](std::span<const std::uint8_t> piece) {
            protocol_.receive(piece);
            return !protocol_.finished();
        });
    } catch (const std::exception& failure) {
        abandon(failure.what());
    }
}

void UploadSession::onLineError(int errors) {
    if ((static_cast<std::uint32_t>(errors) & serial::commerror::CE_IOE) != 0 && !protocol_.finished()) {
        fail({.kind = TransferFailure::Kind::DeviceGone, .path = filePath_, .device = comm_.DeviceName()});
    }
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
    if (!filePath_.empty() && std::filesystem::exists(filePath_, ignored)) {
        std::filesystem::remove(filePath_, ignored);
    }
    view_.close();
}

void UploadSession::abandon(const std::string& reason) {
    fail({.kind = TransferFailure::Kind::LineBroken, .path = filePath_, .device = comm_.DeviceName(), .detail = reason});
}

void UploadSession::fail(TransferFailure failure) {
    protocol_.stop();
    comm_.Close();
    target_.reset();
    failure.targetUntouched = true;
    failure_ = std::move(failure);
    view_.showFailure(*failure_);
    view_.reportFailure(*failure_);
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
        failure_ = TransferFailure{.kind = TransferFailure::Kind::TargetUnwritten, .path = filePath_, .detail = failure.what()};
    }
    target_.reset();
    comm_.Close();
    if (failure_) {
        view_.showFailure(*failure_);
        view_.reportFailure(*failure_);
    }
    view_.close();
}

}  // namespace bv3::transfer
