#include "compress/lzrw1kh.h"

#include "compress/compress_error.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <stdexcept>

namespace bv3::compress {

namespace {

constexpr std::size_t maxDistance = 4095;
constexpr std::size_t minCopy = 3;
constexpr std::size_t maxCopy = 18;
constexpr std::size_t minRun = 16;
constexpr std::size_t maxRun = 4095;
constexpr std::size_t groupItems = 16;

using messages::blockCopyBeforeStart;
using messages::blockItemTruncated;
using messages::blockOutputOverflow;
using messages::blockTooLong;

void putWord(std::span<std::uint8_t> destination, std::size_t at, unsigned value) {
    destination[at] = static_cast<std::uint8_t>(value >> 8);
    destination[at + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

TLZR::TLZR() {
    try {
        hashTable_ = std::make_unique<std::array<std::int16_t, 4096>>();
    } catch (const std::bad_alloc&) {
        throw ELzrw1KHCompressor("LZRW1KH : no memory for HASH table");
    }
}

TLZR::~TLZR() = default;

bool TLZR::FindMatch(std::span<const std::uint8_t> source, std::size_t x, std::size_t& length, std::size_t& position) {
    const std::size_t n = source.size();
    auto& table = *hashTable_;
    // Near the end of the block the 2nd and 3rd byte may lie beyond it; no 3-byte match fits
    // there, so whatever they are read as cannot change the result. They read as 0.
    const unsigned b0 = source[x];
    const unsigned b1 = x + 1 < n ? source[x + 1] : 0u;
    const unsigned b2 = x + 2 < n ? source[x + 2] : 0u;
    const unsigned h = (((((b0 << 4) ^ b1) << 4) ^ b2) * 40543u >> 4) & 0x0FFFu;
    const std::int16_t p = table[h];
    table[h] = static_cast<std::int16_t>(x);
    if (p == -1 || x - static_cast<std::size_t>(p) > maxDistance) {
        return false;
    }
    const auto from = static_cast<std::size_t>(p);
    const std::size_t most = std::min(maxCopy, n - x);
    std::size_t m = 0;
    // Eight bytes at a time while a whole word fits (the first differing byte of a word is
    // found from the lowest set bit of the difference, with no byte loop), then byte by byte
    // for the rest: the same length.
    bool differs = false;
    while (m + 8 <= most) {
        std::uint64_t a = 0;
        std::uint64_t b = 0;
        std::memcpy(&a, source.data() + x + m, sizeof a);
        std::memcpy(&b, source.data() + from + m, sizeof b);
        if (const std::uint64_t difference = a ^ b; difference != 0) {
            const int bit = std::endian::native == std::endian::little ? std::countr_zero(difference)
                                                                       : std::countl_zero(difference);
            m += static_cast<std::size_t>(bit / 8);
            differs = true;
            break;
        }
        m += 8;
    }
    while (!differs && m < most && source[x + m] == source[from + m]) {
        ++m;
    }
    if (m < minCopy) {
        return false;
    }
    length = m;
    position = from;
    return true;
}

std::uint16_t TLZR::CompressBlock(std::span<const std::uint8_t> source, std::span<std::uint8_t> destination) {
    const std::size_t n = source.size();
    if (n > maxBlockInput || destination.size() < n + compressSlack) {
        throw std::invalid_argument("LZRW1KH : block too long or destination too small");
    }
    hashTable_->fill(-1);
    destination[0] = compressedFlag;
    std::size_t x = 0;
    std::size_t y = 3;
    std::size_t z = 1;
    unsigned k = 0;
    unsigned w = 0;
    while (x < n && y <= n) {
        if (k == groupItems) {
            putWord(destination, z, w & 0xFFFF);
            z = y;
            y += 2;
            k = 0;
        }
        const std::uint8_t first = source[x];
        std::size_t r = 1;
        while (x + r < n && r < maxRun && source[x + r] == first) {
            ++r;
        }
        if (r >= minRun) {
            destination[y] = 0;
            putWord(destination, y + 1, static_cast<unsigned>(r - minRun));
            destination[y + 3] = first;
            y += 4;
            x += r;
            w = (w << 1) | 1u;
        } else {
            std::size_t m = 0;
            std::size_t p = 0;
            if (FindMatch(source, x, m, p)) {
                putWord(destination, y, static_cast<unsigned>((x - p) * 16 + (m - minCopy)));
                y += 2;
                x += m;
                w = (w << 1) | 1u;
            } else {
                destination[y] = first;
                y += 1;
                x += 1;
                w <<= 1;
            }
        }
        ++k;
    }
    putWord(destination, z, (w << (groupItems - k)) & 0xFFFF);
    if (y > n) {
        destination[0] = storedFlag;
        std::copy(source.begin(), source.end(), destination.begin() + 1);
        return static_cast<std::uint16_t>(n + 1);
    }
    return static_cast<std::uint16_t>(y);
}

std::uint16_t TLZR::DecompressBlock(std::span<const std::uint8_t> source, std::span<std::uint8_t> destination) {
    const std::size_t n = source.size();
    if (n > maxBlockLength) {
        throw ELzrw1Exception(blockTooLong);
    }
    if (n <= 1) {
        return 0;
    }
    const std::size_t limit = std::min(destination.size(), maxBlockInput);
    if (source[0] == storedFlag) {
        if (n - 1 > limit) {
            throw ELzrw1Exception(blockOutputOverflow);
        }
        std::copy(source.begin() + 1, source.end(), destination.begin());
        return static_cast<std::uint16_t>(n - 1);
    }
    // Any other flag means a compressed block, as it always has.
    if (n < 3) {
        throw ELzrw1Exception(blockItemTruncated);
    }
    unsigned w = (static_cast<unsigned>(source[1]) << 8) | source[2];
    unsigned bitsLeft = groupItems;
    std::size_t x = 3;
    std::size_t y = 0;
    while (x < n) {
        if (bitsLeft == 0) {
            if (x + 2 >= n) {  // a control word must be followed by at least one item
                throw ELzrw1Exception(blockItemTruncated);
            }
            w = (static_cast<unsigned>(source[x]) << 8) | source[x + 1];
            bitsLeft = groupItems;
            x += 2;
        }
        if ((w & 0x8000u) == 0) {
            if (y >= limit) {
                throw ELzrw1Exception(blockOutputOverflow);
            }
            destination[y++] = source[x++];
        } else {
            if (x + 1 >= n) {
                throw ELzrw1Exception(blockItemTruncated);
            }
            const std::size_t d = (static_cast<std::size_t>(source[x]) << 4) | (source[x + 1] >> 4);
            if (d == 0) {
                if (x + 3 >= n) {
                    throw ELzrw1Exception(blockItemTruncated);
                }
                const std::size_t count = ((static_cast<std::size_t>(source[x + 1]) << 8) | source[x + 2]) + minRun;
                if (count > limit - y) {
                    throw ELzrw1Exception(blockOutputOverflow);
                }
                std::fill_n(destination.begin() + static_cast<std::ptrdiff_t>(y), count, source[x + 3]);
                x += 4;
                y += count;
            } else {
                const std::size_t length = (source[x + 1] & 0x0Fu) + minCopy;
                if (d > y) {
                    throw ELzrw1Exception(blockCopyBeforeStart);
                }
                if (length > limit - y) {
                    throw ELzrw1Exception(blockOutputOverflow);
                }
                // Byte by byte and forwards, so that an overlapping copy repeats its pattern. From
                // eight bytes back on, whole words read only bytes already written; the few
                // bytes beyond the copy that they write are overwritten by the next items.
                if (d >= 8 && limit - y >= 3 * 8) {
                    std::uint8_t* to = destination.data() + y;
                    for (std::size_t i = 0; i < length; i += 8) {
                        std::memcpy(to + i, to + i - d, 8);
                    }
                } else {
                    for (std::size_t i = 0; i < length; ++i) {
                        destination[y + i] = destination[y - d + i];
                    }
                }
                x += 2;
                y += length;
            }
        }
        w <<= 1;
        --bitsLeft;
    }
    return static_cast<std::uint16_t>(y);
}

}  // namespace bv3::compress
