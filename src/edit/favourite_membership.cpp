#include "edit/favourite_membership.h"

#include "edit/favourite_reading.h"

#include <algorithm>

namespace bv3::edit {

std::vector<std::uint8_t> favouriteListsOfServices(const channeldb::ChannelDatabase& db) {
    std::vector<std::uint8_t> lists(db.serviceCount(), 0);
    const FavouriteResolver resolver(db);
    for (std::uint8_t group = 0; group < channeldb::favouriteGroupCount && group < 2; ++group) {
        for (std::uint8_t list = 0; list < channeldb::favouriteListsPerGroup && list < 8; ++list) {
            const std::size_t count = std::min<std::size_t>(db.favCount[group][list], db.favEntry[group][list].size());
            for (std::size_t i = 0; i < count; ++i) {
                if (const auto row = resolver.resolve(group, db.favEntry[group][list][i]); row && *row < lists.size()) {
                    lists[*row] = static_cast<std::uint8_t>(lists[*row] | (1u << list));
                }
            }
        }
    }
    return lists;
}

}  // namespace bv3::edit
