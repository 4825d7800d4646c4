#pragma once
// Which elements of a sequence kept their order: the comparison of two lists and the editor's
// "what did this step change" both call a service moved when it is outside a longest run that
// kept its order, so that moving one service counts as one move, not as every service it passed.

#include <cstddef>
#include <vector>

namespace bv3::edit {

// For a sequence of distinct values, true for each element of one longest strictly increasing
// subsequence (patience sorting, O(n log n)); false for the others, the ones that moved.
std::vector<bool> longestIncreasing(const std::vector<std::size_t>& values);

}  // namespace bv3::edit
