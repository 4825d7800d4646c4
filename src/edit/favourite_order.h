#pragma once
// Putting a favourite list in another order: what a drag of entries or a key that moves them
// asks for. Each call is one step of the history; the entries keep their bytes and the services
// they were added for, only their places change, so undo gives the list back byte for byte.
// A call that would leave the order as it is records no step.

#include "edit/channel_list.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bv3::edit {

// Moves the entries at `indices` (any order, duplicates ignored) of list [group][list_]
// together, in their list order, before the entry at `position` of the list as it is now (the
// moved entries still in it; the entry count for the end). A position on a moved entry means
// before the first entry after it that stays. Returns the indices the entries have afterwards.
std::vector<std::size_t> moveFavouritesTo(ChannelList& list, std::uint8_t group, std::uint8_t list_,
                                          const std::vector<std::size_t>& indices, std::size_t position);

// Each selected entry one place up (step -1) or down (+1), past the next entry that is not
// selected; entries already at that end of the list stay. Returns the selected entries' indices
// afterwards, ascending.
std::vector<std::size_t> shiftFavourites(ChannelList& list, std::uint8_t group, std::uint8_t list_,
                                         const std::vector<std::size_t>& indices, int step);

}  // namespace bv3::edit
