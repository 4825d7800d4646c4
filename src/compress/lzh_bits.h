#pragma once
// The LZH bit stream: bits are packed into bytes from the most significant bit down, and
// every code goes out starting with its first bit. The writer keeps the 16-bit buffer of the
// original coder, so the bytes sent are exactly its own; the reader asks its source for more
// at exactly the moments the original did (see BitReader).

#include "compress/lzh.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
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

// The decoder's bits. The source is asked for a run of bytes only at the moment the original
// coder's 16-bit buffer would have asked it for its next byte (when 8 bits or fewer are left
// unread), and past the end of the input it is asked once per missing byte, just as often as
// before: a caller that counts those requests to detect a cut-short code sees the same count
// at the same symbol. Between requests the bits come from a 64-bit register filled from the
// bytes of the run, so a whole code can be walked without a call or a check per bit.
class BitReader {
public:
    explicit BitReader(TLzhReadProc source) : source_(source) {}

    unsigned ReadBit() {
        PrepareStep();
        const auto bit = static_cast<unsigned>(bits_ >> 63);
        Skip(1);
        return bit;
    }

    unsigned ReadByte() {
        PrepareStep();
        const auto byte = static_cast<unsigned>(bits_ >> 56);
        Skip(8);
        return byte;
    }

    // Moves bytes of the current run into the register, and tells how many single-bit steps
    // may now be taken from Peek() without the source being due (the original buffer asked
    // for a byte before any step that found 8 bits or fewer left).
    unsigned TopUp() {
        if (available_ <= 56 && next_ != fill_) {
            Load();
        }
        return available_ > reserve ? available_ - reserve : 0;
    }

    // The unread bits, the next one highest; only the first `available` of them are valid.
    std::uint64_t Peek() const { return bits_; }
    unsigned Available() const { return available_; }

    // Takes count (at most Available()) bits that were read through Peek().
    void Skip(unsigned count) {
        bits_ = count < 64 ? bits_ << count : 0;
        available_ -= count;
    }

    // Bytes the source delivered (not the zeros read past its end).
    std::int64_t BytesDelivered() const { return delivered_; }
    // Bits of the delivered bytes and the zeros past them that the decoder has taken.
    std::int64_t BitsUsed() const {
        return (delivered_ + zerosRead_) * 8 - static_cast<std::int64_t>(available_) -
               8 * static_cast<std::int64_t>(fill_ - next_);
    }
    // Whether the bits fetched but not yet taken are all 0.
    bool BufferedBitsAreZero() const {
        for (std::size_t i = next_; i < fill_; ++i) {
            if (bytes_[i] != 0) {
                return false;
            }
        }
        return bits_ == 0;
    }

private:
    // The original buffer held 16 bits and fetched a byte whenever 8 or fewer were left.
    static constexpr unsigned reserve = 8;

    // Before each step: the source is asked exactly when the original buffer would have
    // asked it, and never otherwise.
    void PrepareStep() {
        TopUp();
        while (available_ <= reserve) {
            Fetch();
            TopUp();
        }
    }

    // Called only with the run used up: asks for the next run. Past the end of the input
    // every byte reads as 0, so a truncated stream decodes to something in range rather
    // than failing.
    void Fetch() {
        next_ = 0;
        fill_ = source_(std::span<std::uint8_t>(bytes_));
        if (fill_ > bytes_.size()) {
            fill_ = 0;  // a source claiming more than it was given delivered nothing usable
        }
        if (fill_ == 0) {
            ++zerosRead_;
            available_ += 8;  // the register's bits below the valid ones are always 0
        } else {
            delivered_ += static_cast<std::int64_t>(fill_);
        }
    }

    // Appends whole bytes of the run below the valid bits, as many as fit.
    void Load() {
        unsigned room = (64 - available_) / 8;
        if (fill_ - next_ >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes_.data() + next_, sizeof word);
            if constexpr (std::endian::native == std::endian::little) {
                word = __builtin_bswap64(word);
            }
            if (room < 8) {
                word &= ~(~std::uint64_t{0} >> (8 * room));
            }
            bits_ |= word >> available_;
            next_ += room;
            available_ += 8 * room;
            return;
        }
        while (room > 0 && next_ != fill_) {
            bits_ |= static_cast<std::uint64_t>(bytes_[next_++]) << (56 - available_);
            available_ += 8;
            --room;
        }
    }

    TLzhReadProc source_;
    std::uint64_t bits_ = 0;  // left-aligned; the bits below the first `available_` are 0
    unsigned available_ = 0;
    std::array<std::uint8_t, 4096> bytes_{};
    std::size_t next_ = 0;
    std::size_t fill_ = 0;
    std::int64_t zerosRead_ = 0;
    std::int64_t delivered_ = 0;
};

}  // namespace bv3::compress::lzh_detail
