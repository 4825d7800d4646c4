#include "edit/favourite_following.h"

#include "edit/favourite_reading.h"

#include <unordered_map>

namespace bv3::edit {

FavouriteNaming namedServices(const ListState& state) {
    const channeldb::ChannelDatabase& db = *state.db;
    const FavouriteResolver resolver(db);
    FavouriteNaming naming;
    for (std::uint8_t g = 0; g < channeldb::favouriteGroupCount; ++g) {
        for (std::uint8_t l = 0; l < channeldb::favouriteListsPerGroup; ++l) {
            auto& named = naming[g][l];
            named.resize(db.favCount[g][l]);
            for (std::size_t i = 0; i < named.size(); ++i) {
                const auto row = resolver.resolve(g, db.favEntry[g][l][i]);
                named[i] = row ? state.serviceIds[*row] : 0;
            }
        }
    }
    return naming;
}

std::vector<action::ReplaceFavouriteList> followServices(const ListState& state, const FavouriteNaming& before,
                                                         const FavouriteListSet& setByOperation) {
    const channeldb::ChannelDatabase& db = *state.db;
    const FavouriteResolver resolver(db);
    std::unordered_map<ServiceId, std::size_t> rowOfId;
    rowOfId.reserve(state.serviceIds.size());
    for (std::size_t row = 0; row < state.serviceIds.size(); ++row) {
        rowOfId.emplace(state.serviceIds[row], row);
    }
    std::vector<action::ReplaceFavouriteList> replacements;
    for (std::uint8_t g = 0; g < channeldb::favouriteGroupCount; ++g) {
        for (std::uint8_t l = 0; l < channeldb::favouriteListsPerGroup; ++l) {
            const std::size_t count = db.favCount[g][l];
            if (setByOperation[g][l] || before[g][l].size() != count) {
                continue;
            }
            action::FavouriteListContent now;
            now.entries.assign(db.favEntry[g][l].begin(), db.favEntry[g][l].begin() + count);
            now.targets = state.favouriteTargets[g][l];
            now.targets.resize(count, 0);
            action::FavouriteListContent after;
            for (std::size_t i = 0; i < count; ++i) {
                const ServiceId named = before[g][l][i];
                std::uint16_t entry = now.entries[i];
                if (named != 0) {
                    const auto row = rowOfId.find(named);
                    if (row == rowOfId.end()) {
                        continue;  // its service is gone, and so is the entry
                    }
                    entry = resolver.entryFor(row->second).value_or(entry);
                }
                after.entries.push_back(entry);
                after.targets.push_back(now.targets[i]);
            }
            if (after != now) {
                replacements.push_back({g, l, std::move(now), std::move(after)});
            }
        }
    }
    return replacements;
}

}  // namespace bv3::edit
