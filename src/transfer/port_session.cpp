#include "transfer/port_session.h"

#include "transfer/protocol_bytes.h"

#include <array>
#include <exception>

namespace bv3::transfer {

PortSession::PortSession(serial::TComm& comm, TransferView& view) : comm_(comm), view_(view) {
    comm_.OnRxChar = [this](serial::TComm&, int count) { onRxChar(count); };
    comm_.OnLineError = [this](serial::TComm&, platform::LineErrors errors) { onLineError(errors); };
    // A handler that raises (a "Read error" or "Write error" of the port) ends the transfer
    // with that message instead of leaving it half-way.
    comm_.OnHandlerException = [this](serial::TComm&, std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& failure) {
            abandon(failure.what());
        }
    };
}

PortSession::~PortSession() {
    comm_.OnRxChar = nullptr;
    comm_.OnLineError = nullptr;
    comm_.OnHandlerException = nullptr;
}

void PortSession::onRxChar(int count) {
    if (protocolFinished()) {
        return;
    }
    try {
        std::array<std::uint8_t, pieceSize> buffer{};
        int left = count;
        while (left > 0 && !protocolFinished()) {
            const auto want =
                static_cast<std::size_t>(left) < buffer.size() ? static_cast<std::size_t>(left) : buffer.size();
            const std::int32_t got = comm_.Read(std::span<std::uint8_t>(buffer.data(), want));
            if (got <= 0) {
                return;
            }
            left -= got;
            bytesReceived_ += static_cast<std::uint64_t>(got);
            receivePiece(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(got)));
        }
    } catch (const std::exception& failure) {
        abandon(failure.what());
    }
}

void PortSession::onLineError(platform::LineErrors errors) {
    if (errors.has(platform::LineError::deviceFailure) && !protocolFinished()) {
        fail({.kind = TransferFailure::Kind::DeviceGone, .path = filePath_, .device = comm_.DeviceName()});
    }
}

void PortSession::abandon(const std::string& reason) {
    fail({.kind = TransferFailure::Kind::LineBroken, .path = filePath_, .device = comm_.DeviceName(), .detail = reason});
}

}  // namespace bv3::transfer
