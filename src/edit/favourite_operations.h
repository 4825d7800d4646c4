#pragma once
// Favourite lists. An entry holds the receiver's own number of a service, which no format
// translates: these operations store exactly the numbers they are given. (An operation on the
// services that changes those numbers rewrites the entries to follow, favourite_following.h.)
// Where an entry can be resolved to a service of its group, resolveEntry
// says which (the reading is described in docs/editing.md): the service of the group whose
// channel number is the entry; in a group where no service has a channel number, the service
// at list position entry - 1 (the receiver numbers such a list from 1 in its order).

#include "edit/channel_list.h"
#include "edit/edit_action.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace bv3::edit {

// The row of the service an entry of group names, if any.
std::optional<std::size_t> resolveEntry(const channeldb::ChannelDatabase& db, std::uint8_t group, std::uint16_t entry);
// The entry that names the service at row under the same reading (none when the service has
// no channel number in a group that numbers its services).
std::optional<std::uint16_t> entryFor(const channeldb::ChannelDatabase& db, std::size_t row);

struct FavouriteEntryView {
    std::uint16_t entry = 0;
    std::optional<std::size_t> row;  // the service it resolves to now
    ServiceId namedWhenAdded = 0;    // the service it resolved to when it entered the list
};
std::vector<FavouriteEntryView> favouriteEntries(const ChannelList& list, std::uint8_t group, std::uint8_t list_);

// Inserts entry at index (default: the end) of list [group][list_]; at most 100 entries. An
// entry that names a service the list names already, or that the list holds already, is
// refused: the receiver would show it twice.
void addFavourite(ChannelList& list, std::uint8_t group, std::uint8_t list_, std::uint16_t entry,
                  std::optional<std::size_t> index = std::nullopt);
// Removes the entries at the given indices.
void removeFavourites(ChannelList& list, std::uint8_t group, std::uint8_t list_,
                      const std::vector<std::size_t>& indices);
// Moves the entry at from to index to (in the list as it is after the entry is taken out).
void moveFavourite(ChannelList& list, std::uint8_t group, std::uint8_t list_, std::size_t from, std::size_t to);

// For the other favourite operations (favourite_order.h): refuses a group or list that does not
// exist, and gives a list's entries with the services they named when added.
void checkFavouriteList(std::uint8_t group, std::uint8_t list_);
action::FavouriteListContent favouriteListContent(const ChannelList& list, std::uint8_t group, std::uint8_t list_);

}  // namespace bv3::edit
