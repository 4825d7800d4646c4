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
            right_[i] = nil;
        }
        for (int i = 0; i <= windowSize; ++i) {
            parent_[i] = nil;
        }
    }

    // Inserts the string at position r and leaves the longest earlier match for it (the
    // nearest among equally long ones) in matchLength and matchPosition (distance - 1).
    void InsertString(int r) {
        int p = firstRoot + window[r];
        bool goRight = true;
        left_[r] = right_[r] = nil;
        matchLength = 0;
        const std::uint8_t* key = &window[static_cast<std::size_t>(r)];
        while (matchLength < lookahead) {
            auto& next = goRight ? right_[p] : left_[p];
            if (next == nil) {
                next = static_cast<std::uint16_t>(r);
                parent_[r] = static_cast<std::uint16_t>(p);
                return;
            }
            p = next;
            const std::uint8_t* other = &window[static_cast<std::size_t>(p)];
            const int i = FirstDifference(key, other);
            goRight = i == lookahead || key[i] >= other[i];
            if (i > 2) {
                const int distance = ((r - p) & (windowSize - 1)) - 1;
                if (i > matchLength) {
                    matchPosition = distance;
                    matchLength = i;
                } else if (i == matchLength && distance < matchPosition) {
                    matchPosition = distance;
                }
            }
        }
        // An identical 60-byte string: r takes p's place and the older p leaves the dictionary.
        parent_[r] = parent_[p];
        left_[r] = left_[p];
        right_[r] = right_[p];
        parent_[left_[p]] = static_cast<std::uint16_t>(r);
        parent_[right_[p]] = static_cast<std::uint16_t>(r);
        ReplaceChild(parent_[p], p, r);
        parent_[p] = nil;
    }

    void DeleteString(int p) {
        if (parent_[p] == nil) {
            return;
        }
        int q;
        if (right_[p] == nil) {
            q = left_[p];
        } else if (left_[p] == nil) {
            q = right_[p];
        } else {
            q = left_[p];
            if (right_[q] != nil) {
                do {
                    q = right_[q];
                } while (right_[q] != nil);
                right_[parent_[q]] = left_[q];
                parent_[left_[q]] = parent_[q];
                left_[q] = left_[p];
                parent_[left_[p]] = static_cast<std::uint16_t>(q);
            }
            right_[q] = right_[p];
            parent_[right_[p]] = static_cast<std::uint16_t>(q);
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
    // are all equal. Compared eight bytes at a time: a difference found beyond index 59 only
    // ever pushes the answer to 60, and the window's padding keeps those reads inside it.
    static int FirstDifference(const std::uint8_t* key, const std::uint8_t* other) {
        int i = 1;
        while (i < lookahead) {
            std::uint64_t a = 0;
            std::uint64_t b = 0;
            std::memcpy(&a, key + i, sizeof a);
            std::memcpy(&b, other + i, sizeof b);
            if (const std::uint64_t difference = a ^ b; difference != 0) {
                const int bit = std::endian::native == std::endian::little ? std::countr_zero(difference)
                                                                           : std::countl_zero(difference);
                i += bit / 8;
                return i < lookahead ? i : lookahead;
            }
            i += 8;
        }
        return lookahead;
    }

    // Roots only ever have a right child, so a root parent never reaches the left table.
    void ReplaceChild(int parent, int from, int to) {
        if (parent >= firstRoot || right_[parent] == from) {
            right_[parent] = static_cast<std::uint16_t>(to);
        } else {
            left_[parent] = static_cast<std::uint16_t>(to);
        }
    }

    std::array<std::uint16_t, windowSize + 1> left_{};
    std::array<std::uint16_t, windowSize + 1> parent_{};
    std::array<std::uint16_t, firstRoot + 256> right_{};
};

}  // namespace bv3::compress::lzh_detail
