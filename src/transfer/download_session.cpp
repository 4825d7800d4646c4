#include "transfer/download_session.h"

#include "serial/comm_control_block.h"
#include "transfer/notification_reader.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

namespace bv3::transfer {

DownloadSession::DownloadSession(serial::TComm& comm, TransferView& view) : comm_(comm), view_(view) {}

void DownloadSession::start() {
    comm_.Open();
    closed_ = false;
    completed_ = false;
    failure_.reset();
    // The file is only read: it is opened for reading, and its attributes are left alone.
    std::optional<std::int64_t> size;
    file_.close();
    file_.clear();
    file_.open(filePath_, std::ios::binary);
    std::error_code sizeError;
    const auto bytes = file_ ? std::filesystem::file_size(filePath_, sizeError) : 0;
    if (!file_ || sizeError) {
        const std::string reason = sizeError ? sizeError.message() : std::strerror(errno);
        protocol_.reset(std::nullopt);
        view_.reportFailure({.kind = TransferFailure::Kind::SourceUnopenable, .path = filePath_, .detail = reason});
        return;
    }
    size = static_cast<std::int64_t>(bytes);
    protocol_.reset(size);
}

void DownloadSession::sendBytes(std::span<const std::uint8_t> bytes) {
    comm_.Write(bytes);
}

// A refused request is the transfer's failure; the protocol finishes the transfer next.
void DownloadSession::refuseRequest(const TransferFailure& refusal) {
    failure_ = refusal;
    view_.showFailure(refusal);
}

void DownloadSession::onRxChar(int count) {
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

void DownloadSession::onLineError(int errors) {
    if ((static_cast<std::uint32_t>(errors) & serial::commerror::CE_IOE) != 0 && !protocol_.finished()) {
        fail({.kind = TransferFailure::Kind::DeviceGone, .device = comm_.DeviceName()});
    }
}

void DownloadSession::readSource(std::uint32_t offset, std::span<std::uint8_t> into) {
    if (!file_.is_open()) {
        throw std::runtime_error(filePath_ + " is not open");
    }
    file_.clear();
    file_.seekg(offset);
    file_.read(reinterpret_cast<char*>(into.data()), static_cast<std::streamsize>(into.size()));
    if (!file_ || static_cast<std::size_t>(file_.gcount()) != into.size()) {
        throw std::runtime_error("cannot read " + std::to_string(into.size()) + " bytes at " + std::to_string(offset) +
                                 " from " + filePath_);
    }
}

void DownloadSession::abandon(const std::string& reason) {
    fail({.kind = TransferFailure::Kind::LineBroken, .device = comm_.DeviceName(), .detail = reason});
}

void DownloadSession::fail(TransferFailure failure) {
    failure_ = std::move(failure);
    view_.showFailure(*failure_);
    protocol_.stop();
    comm_.Close();
    file_.close();
    view_.reportFailure(*failure_);
}

void DownloadSession::finish() {
    protocol_.stop();
    if (protocol_.endRequested() && !failure_) {
        completed_ = true;
    }
    comm_.Close();
    if (file_.is_open()) {
        file_.close();
    }
    if (!closed_) {
        closed_ = true;
        view_.close();
    }
}

}  // namespace bv3::transfer
