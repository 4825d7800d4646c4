#pragma once
// The encoder's dictionary: every window position is a node of one of 256 binary search
// trees (one per first byte), ordered by the 60-byte string starting there. Inserting a
// position finds the longest earlier match on the way down.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace bv3::compress::lzh_detail {

inline constexpr int windowSize = 4096;
inline constexpr int lookahead = 60;
inline constexpr int nil = windowSize;            // the empty child
inline constexpr int firstRoot = windowSize + 1;  // roots 4097-4352
inline constexpr int windowPadding = 8;
inline constexpr int spacePrefill = windowSize - lookahead;  // window[0 .. 4035] starts as spaces

class SearchTree {
public:
    // Empties all 256 trees; a position whose parent is nil is not in the dictionary.
    void Reset() {
        for (int i = firstRoot; i < firstRoot + 256; ++i) {
            Right(i) = nil;
        }
        for (int i = 0; i <= windowSize; ++i) {
            parent_[i] = nil;
        }
    }

    // Inserts the string at position r and leaves the longest earlier match for it (the
    // nearest among equally long ones) in matchLength and matchPosition (distance - 1). A
    // longest match shorter than 3 may be left as 1 or 2: the encoder codes a literal for
    // anything below 3 alike.
    void InsertString(int r) {
        const std::uint8_t* key = &window[static_cast<std::size_t>(r)];
        int p = firstRoot + key[0];
        Left(r) = Right(r) = nil;
        // The best match so far as one number: its length above the inverted distance, so
        // that the largest is the longest and, among equally long ones, the nearest.
        unsigned best = 0;
        unsigned side = 1;  // the right child: a tree's root has only that one
        for (;;) {
            const int next = children_[static_cast<std::size_t>(2 * p) + side];
            if (next == nil) {
                children_[static_cast<std::size_t>(2 * p) + side] = static_cast<std::uint16_t>(r);
                parent_[r] = static_cast<std::uint16_t>(p);
                break;
            }
            p = next;
            const std::uint8_t* other = &window[static_cast<std::size_t>(p)];
            bool greater = false;
            const int i = FirstDifference(key, other, greater);
            const unsigned distance = static_cast<unsigned>(((r - p) & (windowSize - 1)) - 1);
            const unsigned candidate = static_cast<unsigned>(i) << 12 | (windowSize - 1 - distance);
            best = candidate > best ? candidate : best;
            if (i == lookahead) {
                ReplaceNode(p, r);
                break;
            }
            side = greater ? 1u : 0u;
        }
        matchLength = static_cast<int>(best >> 12);
        matchPosition = static_cast<int>(windowSize - 1 - (best & (windowSize - 1)));
    }

    void DeleteString(int p) {
        if (parent_[p] == nil) {
            return;
        }
        int q;
        if (Right(p) == nil) {
            q = Left(p);
        } else if (Left(p) == nil) {
            q = Right(p);
        } else {
            q = Left(p);
            if (Right(q) != nil) {
                do {
                    q = Right(q);
                } while (Right(q) != nil);
                Right(parent_[q]) = Left(q);
                parent_[Left(q)] = parent_[q];
                Left(q) = Left(p);
                parent_[Left(p)] = static_cast<std::uint16_t>(q);
            }
            Right(q) = Right(p);
            parent_[Right(p)] = static_cast<std::uint16_t>(q);
        }
        parent_[q] = parent_[p];
        ReplaceChild(parent_[p], p, q);
        parent_[p] = nil;
    }

    // The ring window plus 59 bytes that repeat positions 0-58, so that a string starting
    // anywhere compares without wrapping, plus padding for the word-wide compare. Positions
    // 4036 onwards start as zero bytes.
    std::array<std::uint8_t, windowSize + lookahead - 1 + windowPadding> window{};
    int matchPosition = 0;
    int matchLength = 0;

private:
    // Index (1 to 59) of the first byte in which the two strings differ, or 60 when bytes 1-59
    // are all equal; greater tells whether the key's byte there is the larger. Compared eight
    // bytes at a time as big-endian numbers, whose order is the order of their first differing
    // byte, so the side to go needs no second look at the bytes. A difference found beyond
    // index 59 only ever pushes the answer to 60, and the window's padding keeps those reads
    // inside it.
    static int FirstDifference(const std::uint8_t* key, const std::uint8_t* other, bool& greater) {
        int i = 1;
        while (i < lookahead) {
            const std::uint64_t a = LoadBigEndian(key + i);
            const std::uint64_t b = LoadBigEndian(other + i);
            if (a != b) {
                greater = a > b;
                i += std::countl_zero(a ^ b) / 8;
                return i < lookahead ? i : lookahead;
            }
            i += 8;
        }
        return lookahead;
    }

    static std::uint64_t LoadBigEndian(const std::uint8_t* bytes) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes, sizeof word);
        if constexpr (std::endian::native == std::endian::little) {
            word = __builtin_bswap64(word);
        }
        return word;
    }

    // An identical 60-byte string: r takes p's place and the older p leaves the dictionary.
    void ReplaceNode(int p, int r) {
        parent_[r] = parent_[p];
        Left(r) = Left(p);
        Right(r) = Right(p);
        parent_[Left(p)] = static_cast<std::uint16_t>(r);
        parent_[Right(p)] = static_cast<std::uint16_t>(r);
        ReplaceChild(parent_[p], p, r);
        parent_[p] = nil;
    }

    std::uint16_t& Left(int p) { return children_[static_cast<std::size_t>(2 * p)]; }
    std::uint16_t& Right(int p) { return children_[static_cast<std::size_t>(2 * p) + 1]; }

    // Roots only ever have a right child, so a root parent never reaches the left table.
    void ReplaceChild(int parent, int from, int to) {
        if (parent >= firstRoot || Right(parent) == from) {
            Right(parent) = static_cast<std::uint16_t>(to);
        } else {
            Left(parent) = static_cast<std::uint16_t>(to);
        }
    }

    // The left and right child of node p at 2p and 2p + 1, so that the side taken is an index.
    std::array<std::uint16_t, 2 * (firstRoot + 256)> children_{};
    std::array<std::uint16_t, windowSize + 1> parent_{};
};

}  // namespace bv3::compress::lzh_detail
