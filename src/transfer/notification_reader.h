#pragma once
// Reads the bytes one receive notification reports, in pieces of at most 128 (the receive
// handler's buffer), until all are handled or the handler says stop. A notification may
// report more than one buffer's worth: nothing is left behind in the input queue.

#include "serial/comm.h"
#include "transfer/protocol_bytes.h"

#include <array>
#include <cstdint>
#include <span>

namespace bv3::transfer {

// handle(piece) returns false to stop reading (the transfer has finished).
template <class Handle>
void readNotification(serial::TComm& comm, int count, Handle&& handle) {
    std::array<std::uint8_t, pieceSize> buffer{};
    int left = count;
    while (left > 0) {
        const auto want =
            static_cast<std::size_t>(left) < buffer.size() ? static_cast<std::size_t>(left) : buffer.size();
        const std::int32_t got = comm.Read(std::span<std::uint8_t>(buffer.data(), want));
        if (got <= 0) {
            return;
        }
        left -= got;
        if (!handle(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(got)))) {
            return;
        }
    }
}

}  // namespace bv3::transfer
