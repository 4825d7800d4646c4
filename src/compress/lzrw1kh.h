#pragma once
// TLZR: the engine of the Fast mode (LZRW1/KH). A greedy LZ77 coder over single blocks of at
// most 32768 bytes with a one-probe hash table of 4096 entries, 12-bit distances, lengths of
// 3 to 18 and a run item for 16 to 4095 repeated bytes. Each block stands alone (the table is
// cleared for every block); a block that would not get smaller is stored behind a flag byte.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace bv3::compress {

class TLZR {
public:
    static constexpr std::size_t maxBlockInput = 32768;
    // A block is at most its input plus the flag byte.
    static constexpr std::size_t maxBlockLength = maxBlockInput + 1;
    // The coder writes up to 5 bytes beyond n before it notices that a block is not getting
    // smaller, so the destination of CompressBlock needs this much room beyond the input.
    static constexpr std::size_t compressSlack = 6;
    static constexpr std::uint8_t compressedFlag = 0x40;
    static constexpr std::uint8_t storedFlag = 0x80;

    // Allocates the hash table; raises ELzrw1KHCompressor when it cannot be had.
    TLZR();
    ~TLZR();
    TLZR(const TLZR&) = delete;
    TLZR& operator=(const TLZR&) = delete;

    // Codes source (0 to 32768 bytes) into destination and returns the block length, 1 to
    // source.size() + 1. destination must hold source.size() + compressSlack bytes; the
    // coder never writes beyond that and never reads beyond source.
    std::uint16_t CompressBlock(std::span<const std::uint8_t> source, std::span<std::uint8_t> destination);

    // Restores one block and returns the number of bytes restored. Never reads beyond source
    // nor writes beyond destination or 32768 bytes: a damaged block (longer than 32769 bytes,
    // an item running past the end of the block, a copy reaching before the start, output
    // beyond 32768 bytes) raises ELzrw1Exception.
    std::uint16_t DecompressBlock(std::span<const std::uint8_t> source, std::span<std::uint8_t> destination);

private:
    // Looks up the 3-byte string at x and enters x in the table. True when a match of at
    // least 3 bytes was found, with its length and position.
    bool FindMatch(std::span<const std::uint8_t> source, std::size_t x, std::size_t& length, std::size_t& position);

    std::unique_ptr<std::array<std::int16_t, 4096>> hashTable_;
};

}  // namespace bv3::compress
