#include "edit/longest_increasing.h"

#include <algorithm>

namespace bv3::edit {

std::vector<bool> longestIncreasing(const std::vector<std::size_t>& values) {
    // tails[k] is the index of the smallest last value of an increasing run of length k + 1;
    // previous links each value to the one before it in its run.
    std::vector<std::size_t> tails;
    std::vector<std::size_t> previous(values.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto at = std::lower_bound(tails.begin(), tails.end(), values[i],
                                         [&](std::size_t t, std::size_t v) { return values[t] < v; });
        if (at != tails.begin()) {
            previous[i] = *(at - 1);
        }
        if (at == tails.end()) {
            tails.push_back(i);
        } else {
            *at = i;
        }
    }
    std::vector<bool> kept(values.size());
    for (std::size_t i = tails.empty() ? values.size() : tails.back(); i < values.size(); i = previous[i]) {
        kept[i] = true;
    }
    return kept;
}

}  // namespace bv3::edit
