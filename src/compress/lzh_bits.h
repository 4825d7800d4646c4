#pragma once
// The LZH bit stream: bits are packed into bytes from the most significant bit down, and
// every code goes out starting with its first bit. Both sides keep the 16-bit buffer of the
// original coder, so the bytes sent and the source requests made are exactly its own.

#include "compress/lzh.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace bv3::compress::lzh_detail {

class BitWriter {
public:
    explicit BitWriter(TLzhWriteProc sink) : sink_(sink) {}

    // Sends the first length bits (1 to 16) of code, which holds them left-aligned.
    void WriteBits(unsigned length, std::uint16_t code) {
        buffer_ = static_cast<std::uint16_t>(buffer_ | (code >> count_));
        count_ += length;
        if (count_ < 8) {
            return;
        }
        Send(static_cast<std::uint8_t>(buffer_ >> 8));
        count_ -= 8;
        if (count_ >= 8) {
            Send(static_cast<std::uint8_t>(buffer_ & 0xFF));
            bytesWritten += 2;
            count_ -= 8;
            buffer_ = static_cast<std::uint16_t>(static_cast<std::uint32_t>(code) << (length - count_));
        } else {
            buffer_ = static_cast<std::uint16_t>(static_cast<std::uint32_t>(buffer_) << 8);
            bytesWritten += 1;
        }
    }

    // Sends the last, partly filled byte (its unused low bits are 0), and every byte still
    // held back for the sink.
    void FlushBits() {
        if (count_ > 0) {
            Send(static_cast<std::uint8_t>(buffer_ >> 8));
            bytesWritten += 1;
        }
        Drain();
    }

    std::int32_t bytesWritten = 0;

private:
    // The bytes go to the sink in runs: a call per byte cost more than making the byte. The
    // bytes and their order are the same.
    void Send(std::uint8_t byte) {
        if (held_ == pending_.size()) {
            Drain();
        }
        pending_[held_++] = byte;
    }

    void Drain() {
        if (held_ > 0) {
            sink_(std::span<const std::uint8_t>(pending_.data(), held_));
            held_ = 0;
        }
    }

    TLzhWriteProc sink_;
    std::array<std::uint8_t, 4096> pending_{};
    std::size_t held_ = 0;
    std::uint16_t buffer_ = 0;
    unsigned count_ = 0;
};

class BitReader {
public:
    explicit BitReader(TLzhReadProc source) : source_(source) {}

    unsigned ReadBit() {
        Refill();
        const unsigned bit = buffer_ >> 15;
        buffer_ = static_cast<std::uint16_t>(static_cast<std::uint32_t>(buffer_) << 1);
        count_ -= 1;
        return bit;
    }

    unsigned ReadByte() {
        Refill();
        const unsigned byte = buffer_ >> 8;
        buffer_ = static_cast<std::uint16_t>(static_cast<std::uint32_t>(buffer_) << 8);
        count_ -= 8;
        return byte;
    }

    // Bytes the source delivered (not the zeros read past its end).
    std::int64_t BytesDelivered() const { return delivered_; }
    // Bits of the delivered bytes and the zeros past them that the decoder has taken.
    std::int64_t BitsUsed() const { return fetched_ * 8 - static_cast<std::int64_t>(count_); }
    // Whether the bits fetched but not yet taken are all 0.
    bool BufferedBitsAreZero() const { return buffer_ == 0; }

private:
    // Past the end of the input every byte reads as 0, so a truncated stream decodes to
    // something in range rather than failing.
    void Refill() {
        while (count_ <= 8) {
            std::array<std::uint8_t, 1> one{0};
            ++fetched_;
            if (source_(one) == 0) {
                one[0] = 0;
            } else {
                ++delivered_;
            }
            buffer_ = static_cast<std::uint16_t>(buffer_ | (static_cast<std::uint32_t>(one[0]) << (8 - count_)));
            count_ += 8;
        }
    }

    TLzhReadProc source_;
    std::uint16_t buffer_ = 0;
    unsigned count_ = 0;
    std::int64_t fetched_ = 0;
    std::int64_t delivered_ = 0;
};

}  // namespace bv3::compress::lzh_detail
