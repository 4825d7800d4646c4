#pragma once
// The adaptive Huffman code shared by literals (symbols 0-255) and match lengths (symbols
// 256-313). Encoder and decoder run the same model on the same symbols, so they rebuild the
// tree at the same moment and always agree on every code.

#include "compress/lzh_bits.h"

#include <array>
#include <cstdint>

namespace bv3::compress::lzh_detail {

class HuffmanModel {
public:
    static constexpr int symbolCount = 314;
    static constexpr int nodeCount = 2 * symbolCount - 1;  // 627
    static constexpr int root = nodeCount - 1;             // 626
    static constexpr std::uint16_t weightLimit = 0x8000;

    void Reset();

    // Halves every leaf weight (a weight of 1 stays 1) and builds the tree anew.
    void Rebuild();

    // Counts one more occurrence of symbol and restores the order of the weights.
    void Update(int symbol) {
        if (weight_[root] == weightLimit) {
            Rebuild();
        }
        int n = parent_[nodeCount + symbol];
        do {
            const std::uint16_t w = ++weight_[n];
            if (weight_[n + 1] < w) {
                int l = n + 1;
                while (weight_[l + 1] < w) {
                    ++l;  // the sentinel 0xFFFF at nodeCount ends the scan
                }
                weight_[n] = weight_[l];
                weight_[l] = w;
                SwapSubtrees(n, l);
                n = l;
            }
            n = parent_[n];
        } while (n != 0);
    }

    // Length of the current code of symbol, in bits.
    int CodeLength(int symbol) const {
        int length = 0;
        for (int k = parent_[nodeCount + symbol]; k != root; k = parent_[k]) {
            ++length;
        }
        return length;
    }

    // Sends the code of symbol, then counts it. The code is sent whole however long it is:
    // nothing bounds the tree's depth to 16, and a code cut to a 16-bit register would
    // silently corrupt the stream. Codes of up to 16 bits go out in one piece, as they always
    // have, so such streams are unchanged.
    void EncodeSymbol(int symbol, BitWriter& out) {
        std::uint64_t code = 0;
        int length = 0;
        int k = parent_[nodeCount + symbol];
        do {
            code >>= 1;
            if ((k & 1) != 0) {
                code |= std::uint64_t{1} << 63;
            }
            ++length;
            k = parent_[k];
        } while (k != root && length < 64);
        if (k != root) {
            WriteDeepCode(symbol, out);
        } else {
            for (int left = length; left > 0; left -= 16) {
                const int piece = left < 16 ? left : 16;
                out.WriteBits(static_cast<unsigned>(piece), static_cast<std::uint16_t>(code >> 48));
                code <<= 16;
            }
        }
        Update(symbol);
    }

    int DecodeSymbol(BitReader& in) {
        int n = child_[root];
        while (n < nodeCount) {
            n = child_[n + static_cast<int>(in.ReadBit())];
        }
        const int symbol = n - nodeCount;
        Update(symbol);
        return symbol;
    }

    std::uint16_t RootWeight() const { return weight_[root]; }

private:
    void SwapSubtrees(int n, int l) {
        const int a = child_[n];
        SetParentOfChild(a, l);
        const int b = child_[l];
        child_[l] = static_cast<std::int16_t>(a);
        SetParentOfChild(b, n);
        child_[n] = static_cast<std::int16_t>(b);
    }

    // An inner node's children sit at k and k + 1; a leaf's link names its symbol.
    void SetParentOfChild(int k, int node) {
        parent_[k] = static_cast<std::int16_t>(node);
        if (k < nodeCount) {
            parent_[k + 1] = static_cast<std::int16_t>(node);
        }
    }

    void WriteDeepCode(int symbol, BitWriter& out) const;

    // Node weights in non-decreasing order, with a sentinel 0xFFFF behind the root.
    std::array<std::uint16_t, nodeCount + 1> weight_{};
    // Entries 0-626: parent of node i; entries 627-940: the node holding leaf symbol c.
    std::array<std::int16_t, nodeCount + symbolCount> parent_{};
    // Inner node: index of its first (0 branch) child. Leaf: 627 + its symbol.
    std::array<std::int16_t, nodeCount> child_{};
};

}  // namespace bv3::compress::lzh_detail
