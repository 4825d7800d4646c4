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
        UpdateFrom(parent_[nodeCount + symbol]);
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
            path_[static_cast<std::size_t>(length)] = static_cast<std::int16_t>(k);
            code >>= 1;
            if ((k & 1) != 0) {
                code |= std::uint64_t{1} << 63;
            }
            ++length;
            k = parent_[k];
        } while (k != root && length < 64);
        if (k != root) {
            WriteDeepCode(symbol, out);
            Update(symbol);
            return;
        }
        if (length <= 16) {
            out.WriteBits(static_cast<unsigned>(length), static_cast<std::uint16_t>(code >> 48));
        } else {
            for (int left = length; left > 0; left -= 16) {
                const int piece = left < 16 ? left : 16;
                out.WriteBits(static_cast<unsigned>(piece), static_cast<std::uint16_t>(code >> 48));
                code <<= 16;
            }
        }
        UpdateAlong(symbol, path_.data(), length);
    }

    // The code is walked from the root in steps of one bit. The bits come straight from the
    // reader's register while it holds enough of them; only the rest go one by one through
    // ReadBit. The nodes passed are kept, so that counting the symbol need not find them again.
    int DecodeSymbol(BitReader& in) {
        std::int16_t* const end = path_.data() + path_.size();
        std::int16_t* step = end;
        int n = child_[root];
        unsigned steps = in.TopUp();
        if (steps > 0) {
            std::uint64_t bits = in.Peek();
            unsigned taken = 0;
            do {
                n += static_cast<int>(bits >> 63);
                *--step = static_cast<std::int16_t>(n);
                n = child_[n];
                bits <<= 1;
                ++taken;
            } while (n < nodeCount && taken < steps);
            in.Skip(taken);
        }
        while (n < nodeCount) {
            n += static_cast<int>(in.ReadBit());
            *--step = static_cast<std::int16_t>(n);
            n = child_[n];
        }
        const int symbol = n - nodeCount;
        UpdateAlong(symbol, step, static_cast<int>(end - step));
        return symbol;
    }

    std::uint16_t RootWeight() const { return weight_[root]; }

private:
    // The counting of Update, from node n (a leaf's node) up to the root.
    void UpdateFrom(int n) {
        do {
            const std::uint16_t w = ++weight_[n];
            if (weight_[n + 1] < w) {
                n = MoveUp(n, w);
            }
            n = parent_[n];
        } while (n != 0);
    }

    // Update, given the nodes from the symbol's leaf up to (not including) the root as the
    // code just sent or read passed them. As long as no subtree moves, the next node is known
    // without a dependent load of its parent; after a move the walk goes on by the parents.
    void UpdateAlong(int symbol, const std::int16_t* nodes, int count) {
        if (weight_[root] == weightLimit) {
            Rebuild();
            UpdateFrom(parent_[nodeCount + symbol]);
            return;
        }
        for (int i = 0; i < count; ++i) {
            const int n = nodes[i];
            const std::uint16_t w = ++weight_[n];
            if (weight_[n + 1] < w) {
                UpdateFrom(parent_[MoveUp(n, w)]);
                return;
            }
        }
        ++weight_[root];
    }

    // Node n's weight has just become w, more than the next node's: n's subtree moves to the
    // last node of the smaller weight, which takes n's old weight. Returns where it went.
    int MoveUp(int n, std::uint16_t w) {
        int l = n + 1;
        while (weight_[l + 1] < w) {
            ++l;  // the sentinel 0xFFFF at nodeCount ends the scan
        }
        weight_[n] = weight_[l];
        weight_[l] = w;
        SwapSubtrees(n, l);
        return l;
    }

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
    // The nodes of the latest symbol's code, leaf first (no code is longer than nodeCount).
    std::array<std::int16_t, nodeCount> path_{};
};

}  // namespace bv3::compress::lzh_detail
