#pragma once
// The data an edit changes: the channel database, plus what the editor keeps beside it to tell
// services apart as they move (an identity per service row) and to notice when a favourite
// entry stops naming the service it named (the service each entry resolved to when it was
// loaded or added).

#include "channeldb/channel_database.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace bv3::edit {

// 0 means "no service".
using ServiceId = std::uint32_t;

using FavouriteTargets =
    std::array<std::array<std::vector<ServiceId>, channeldb::favouriteListsPerGroup>, channeldb::favouriteGroupCount>;

struct ListState {
    std::unique_ptr<channeldb::ChannelDatabase> db = std::make_unique<channeldb::ChannelDatabase>();
    // One identity per service row in use (db->serviceCount() of them), moving with its row.
    std::vector<ServiceId> serviceIds;
    // For every favourite entry in use, the service it named when it entered the list.
    FavouriteTargets favouriteTargets;
    ServiceId nextServiceId = 1;
};

}  // namespace bv3::edit
