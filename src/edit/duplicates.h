#pragma once
// Duplicates: services that are the same service twice. Two services are the same service when
// they have the same kind, the same service words (svcWordA, svcWordB, svcWordC, svcWordD,
// svcWordG) and the same TS numbers (the numbers of their TS records, the network row aside;
// two TS rows with equal numbers are the same TS). Name, provider, flags and channel number do
// not decide: a rescan renames and renumbers. Near-duplicates share kind and name but lie on
// different TS numbers.

#include "channeldb/channel_database.h"
#include "edit/channel_list.h"

#include <cstddef>
#include <vector>

namespace bv3::edit {

// Each group lists its rows in table order; the first is the one kept. Groups are ordered by
// their first row.
struct DuplicateGroup {
    std::vector<std::size_t> rows;
};

std::vector<DuplicateGroup> findDuplicates(const channeldb::ChannelDatabase& db);
std::vector<DuplicateGroup> findNearDuplicates(const channeldb::ChannelDatabase& db);

// Deletes every duplicate but the first of its group, as one history step. Returns how many
// services went.
std::size_t removeDuplicates(ChannelList& list);

}  // namespace bv3::edit
