#pragma once
// Favourite entries that follow their services. An entry holds the number the receiver shows
// for a service (favourite_reading.h); an operation that changes those numbers (a renumbering,
// a new channel number, a sort, move or delete on a list numbered by position) would leave the
// entry naming another service. What the user means is the service, so the operation rewrites
// the entry to the service's new number in the same step; an entry whose service is deleted
// goes. An entry that named nothing stays exactly as it was, and so does one whose service has
// no number left to name it by (the findings report it).

#include "edit/edit_action.h"
#include "edit/list_state.h"

#include <array>
#include <vector>

namespace bv3::edit {

// For every entry of every favourite list, the service it names (0: none).
using FavouriteNaming = FavouriteTargets;
FavouriteNaming namedServices(const ListState& state);

// Which lists an operation set itself (their entries are as it meant them).
using FavouriteListSet =
    std::array<std::array<bool, channeldb::favouriteListsPerGroup>, channeldb::favouriteGroupCount>;

// The list replacements that make every entry of the current state name the service it named
// under `before`, for every list not in `setByOperation`; none where nothing changed.
std::vector<action::ReplaceFavouriteList> followServices(const ListState& state, const FavouriteNaming& before,
                                                         const FavouriteListSet& setByOperation);

}  // namespace bv3::edit
