#pragma once
// Which favourite lists hold a service: what a list of services shows beside each one. Read
// with the same reading as the favourites themselves (favourite_reading.h): an entry of a
// group's list marks the service of that group it names; an entry that names nothing marks
// nothing. One pass over the services and the entries, so a window can afford it after every
// change rather than per row it paints.

#include "channeldb/channel_database.h"

#include <cstdint>
#include <vector>

namespace bv3::edit {

// Per service row: bit l is set when favourite list l of the service's group names it.
std::vector<std::uint8_t> favouriteListsOfServices(const channeldb::ChannelDatabase& db);

}  // namespace bv3::edit
