#include "compress/lzh_model.h"

#include <algorithm>

namespace bv3::compress::lzh_detail {

void HuffmanModel::Reset() {
    for (int c = 0; c < symbolCount; ++c) {
        weight_[c] = 1;
        child_[c] = static_cast<std::int16_t>(nodeCount + c);
        parent_[nodeCount + c] = static_cast<std::int16_t>(c);
    }
    for (int i = 0, j = symbolCount; j < nodeCount; i += 2, ++j) {
        weight_[j] = static_cast<std::uint16_t>(weight_[i] + weight_[i + 1]);
        child_[j] = static_cast<std::int16_t>(i);
        parent_[i] = parent_[i + 1] = static_cast<std::int16_t>(j);
    }
    weight_[nodeCount] = 0xFFFF;
    parent_[root] = 0;
}

void HuffmanModel::Rebuild() {
    // Gather the leaves at the front with halved weights; their order stays non-decreasing.
    int next = 0;
    for (int i = 0; i < nodeCount; ++i) {
        if (child_[i] >= nodeCount) {
            weight_[next] = static_cast<std::uint16_t>((weight_[i] + 1) / 2);
            child_[next] = child_[i];
            ++next;
        }
    }
    // Join pairs from the front; each new inner node goes where its weight keeps the order.
    for (int i = 0, j = symbolCount; j < nodeCount; i += 2, ++j) {
        const auto f = static_cast<std::uint16_t>(weight_[i] + weight_[i + 1]);
        int k = j;
        while (k > 0 && weight_[k - 1] > f) {
            --k;
        }
        std::copy_backward(weight_.begin() + k, weight_.begin() + j, weight_.begin() + j + 1);
        std::copy_backward(child_.begin() + k, child_.begin() + j, child_.begin() + j + 1);
        weight_[k] = f;
        child_[k] = static_cast<std::int16_t>(i);
    }
    for (int i = 0; i < nodeCount; ++i) {
        SetParentOfChild(child_[i], i);
    }
}

// A code longer than 64 bits cannot arise while the root weight stays below 0x8000 (a tree of
// that depth would need Fibonacci-sized weights), but it is still sent correctly, bit by bit.
void HuffmanModel::WriteDeepCode(int symbol, BitWriter& out) const {
    std::array<std::uint8_t, nodeCount> bits{};
    int length = 0;
    for (int k = parent_[nodeCount + symbol]; k != root && length < nodeCount; k = parent_[k]) {
        bits[static_cast<std::size_t>(length++)] = static_cast<std::uint8_t>(k & 1);
    }
    while (length > 0) {
        out.WriteBits(1, static_cast<std::uint16_t>(bits[static_cast<std::size_t>(--length)] << 15));
    }
}

}  // namespace bv3::compress::lzh_detail
