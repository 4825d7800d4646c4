#include "transfer/download_protocol.h"

#include <algorithm>
#include <array>
#include <string>

namespace bv3::transfer {

DownloadProtocol::DownloadProtocol(DownloadHost& host) : host_(host) {}

void DownloadProtocol::reset(std::optional<std::int64_t> fileSize) {
    state_ = DownloadState::Connect;
    step_ = 0;
    connected_ = false;
    endRequested_ = false;
    length_ = 0;
    address_ = 0;
    fileSize_ = fileSize;
    finished_ = false;
}

void DownloadProtocol::receive(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t b : bytes) {
        if (finished_) {
            return;
        }
        handleByte(b);
    }
}

void DownloadProtocol::send(std::uint8_t b) {
    outbyte_ = b;
    host_.sendBytes(std::span<const std::uint8_t>(&outbyte_, 1));
}

void DownloadProtocol::finish() {
    finished_ = true;
    host_.finish();
}

void DownloadProtocol::handleByte(std::uint8_t b) {
    if (finished_) {
        return;
    }
    switch (state_) {
        case DownloadState::Connect:
            onConnect(b);
            break;
        case DownloadState::SendMode:
            onSendMode();
            break;
        case DownloadState::ReceiveRequest:
            onReceiveRequest(b);
            break;
        case DownloadState::SendBlock:
            onSendBlock();
            break;
    }
}

void DownloadProtocol::onConnect(std::uint8_t b) {
    outbyte_ = ACK;
    if (b == STX) {
        connected_ = true;
        host_.progress().showPhase(TransferPhase::Connected);
    }
    if (!connected_) {
        return;
    }
    send(ACK);
    if (b == ETX) {
        state_ = DownloadState::SendMode;
        step_ = 0;
        send(STX);
    }
}

void DownloadProtocol::onSendMode() {
    ++step_;
    if (step_ == 1) {
        send(modeDownload);
        host_.progress().showPhase(TransferPhase::ServingRequests);
    } else if (step_ == 2) {
        send(ETX);
        state_ = DownloadState::ReceiveRequest;
        step_ = 0;
    }
}

void DownloadProtocol::onReceiveRequest(std::uint8_t b) {
    switch (step_) {
        case 0:
            if (b == STX) {
                step_ = 1;
                send(ACK);
            }
            break;
        case 1:
            if (b == endCommand) {
                endRequested_ = true;
            }
            step_ = 2;
            send(ACK);
            break;
        case 2:
            send(ACK);
            length_ = b * 256;
            step_ = 3;
            if (endRequested_) {
                finish();
            }
            break;
        case 3:
            send(ACK);
            length_ |= b;
            step_ = 4;
            break;
        case 4:
            send(ACK);
            address_ = b * 65536;
            step_ = 5;
            break;
        case 5:
            send(ACK);
            address_ |= b * 256;
            step_ = 6;
            break;
        case 6:
            send(ACK);
            address_ |= b;
            step_ = 7;
            break;
        default:
            state_ = DownloadState::SendBlock;
            step_ = 0;
            send(ACK);
            if (!requestIsServable()) {
                finish();
                return;
            }
            onSendBlock();
            break;
    }
}

bool DownloadProtocol::requestIsServable() {
    using Kind = TransferFailure::Kind;
    const auto refuse = [this](TransferFailure refusal) {
        host_.refuseRequest(refusal);
        return false;
    };
    if (!fileSize_) {
        return refuse({.kind = Kind::NoSource});
    }
    if (*fileSize_ == 0) {
        return refuse({.kind = Kind::EmptySource});
    }
    if (static_cast<std::int64_t>(address_) + length_ > *fileSize_) {
        return refuse({.kind = Kind::RequestBeyondEnd, .length = length_, .address = address_, .fileSize = *fileSize_});
    }
    return true;
}

void DownloadProtocol::onSendBlock() {
    switch (step_) {
        case 0:
            step_ = 1;
            send(STX);
            break;
        case 1:
            sendChunk();
            break;
        case 3:
            if (length_ != 0) {
                sendChunk();
            } else {
                step_ = 2;
                send(ETX);
            }
            break;
        default:
            step_ = 0;
            state_ = DownloadState::ReceiveRequest;
            break;
    }
}

void DownloadProtocol::sendChunk() {
    step_ = 3;
    const auto n = std::min<std::int32_t>(length_, static_cast<std::int32_t>(pieceSize));
    std::array<std::uint8_t, pieceSize> chunk{};
    const std::span<std::uint8_t> piece(chunk.data(), static_cast<std::size_t>(n));
    try {
        host_.readSource(static_cast<std::uint32_t>(address_), piece);
    } catch (const std::exception& failure) {
        host_.refuseRequest({.kind = TransferFailure::Kind::SourceUnreadable, .detail = failure.what()});
        finish();
        return;
    }
    const std::int64_t size = fileSize_.value_or(1);
    host_.progress().showProgress(static_cast<int>(static_cast<std::int64_t>(address_) * 100 / size));
    host_.progress().showCounter({address_, size});
    length_ -= n;
    address_ += n;
    host_.progress().showTransferred(address_, size);
    host_.sendBytes(piece);
}

}  // namespace bv3::transfer
