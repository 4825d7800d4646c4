#include "transfer/download_session.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

namespace bv3::transfer {

DownloadSession::DownloadSession(serial::TComm& comm, TransferView& view) : PortSession(comm, view) {}

void DownloadSession::start() {
    comm().Open();
    closed_ = false;
    completed_ = false;
    failure_.reset();
    // The file is only read: it is opened for reading, and its attributes are left alone.
    std::optional<std::int64_t> size;
    file_.close();
    file_.clear();
    file_.open(filePath(), std::ios::binary);
    std::error_code sizeError;
    const auto bytes = file_ ? std::filesystem::file_size(filePath(), sizeError) : 0;
    if (!file_ || sizeError) {
        const std::string reason = sizeError ? sizeError.message() : std::strerror(errno);
        protocol_.reset(std::nullopt);
        view().reportFailure({.kind = TransferFailure::Kind::SourceUnopenable, .path = filePath(), .detail = reason});
        return;
    }
    size = static_cast<std::int64_t>(bytes);
    protocol_.reset(size);
}

// A refused request is the transfer's failure; the protocol finishes the transfer next.
void DownloadSession::refuseRequest(const TransferFailure& refusal) {
    failure_ = refusal;
    view().showFailure(refusal);
}

void DownloadSession::readSource(std::uint32_t offset, std::span<std::uint8_t> into) {
    if (!file_.is_open()) {
        throw std::runtime_error(filePath() + " is not open");
    }
    file_.clear();
    file_.seekg(offset);
    file_.read(reinterpret_cast<char*>(into.data()), static_cast<std::streamsize>(into.size()));
    if (!file_ || static_cast<std::size_t>(file_.gcount()) != into.size()) {
        throw std::runtime_error("cannot read " + std::to_string(into.size()) + " bytes at " + std::to_string(offset) +
                                 " from " + filePath());
    }
}

void DownloadSession::fail(TransferFailure failure) {
    failure_ = std::move(failure);
    view().showFailure(*failure_);
    protocol_.stop();
    comm().Close();
    file_.close();
    view().reportFailure(*failure_);
}

void DownloadSession::finish() {
    protocol_.stop();
    if (protocol_.endRequested() && !failure_) {
        completed_ = true;
    }
    comm().Close();
    if (file_.is_open()) {
        file_.close();
    }
    if (!closed_) {
        closed_ = true;
        view().close();
    }
}

}  // namespace bv3::transfer
