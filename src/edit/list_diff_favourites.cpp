// The favourite lists of two lists: entries are matched by the service they name (read as
// favourite_reading.h reads them), so a renumbering that keeps every entry on its service
// changes nothing the user sees but the stored numbers.
#include "edit/favourite_reading.h"
#include "edit/list_diff_support.h"

#include <algorithm>

namespace bv3::edit::diffsupport {

namespace {

using channeldb::ChannelDatabase;

struct ListEntries {
    std::vector<std::uint16_t> entries;
    std::vector<std::optional<std::size_t>> named;  // the service row each names, if any
};

ListEntries entriesOf(const ChannelDatabase& db, const FavouriteResolver& resolver, std::uint8_t g, std::uint8_t l) {
    ListEntries list;
    const std::size_t count = std::min<std::size_t>(db.favCount[g][l], channeldb::favouriteEntryCapacity);
    for (std::size_t e = 0; e < count; ++e) {
        list.entries.push_back(db.favEntry[g][l][e]);
        list.named.push_back(resolver.resolve(g, db.favEntry[g][l][e]));
    }
    return list;
}

std::string nameAt(const ChannelDatabase& db, const std::optional<std::size_t>& row) {
    return row ? db.services[*row].svcName : std::string();
}

void diffList(const ChannelDatabase& first, const ChannelDatabase& second, const ListEntries& a,
              const ListEntries& b, std::uint8_t g, std::uint8_t l, const Pairing& servicePairs,
              std::vector<FavouriteChange>& changes) {
    Pairing pairs(a.entries.size());
    std::vector<bool> taken(b.entries.size());
    // The same service first, then the same number where the service is another.
    pairByKey<std::size_t>(
        pairs, taken, b.entries.size(),
        [&](std::size_t i) { return a.named[i] ? servicePairs[*a.named[i]] : std::nullopt; },
        [&](std::size_t j) { return b.named[j]; });
    Pairing sameService = pairs;
    pairByKey<std::uint16_t>(pairs, taken, b.entries.size(), [&](std::size_t i) { return std::optional(a.entries[i]); },
                             [&](std::size_t j) { return std::optional(b.entries[j]); });

    std::vector<std::size_t> order;
    std::vector<std::size_t> pairedFirst;
    for (std::size_t i = 0; i < a.entries.size(); ++i) {
        FavouriteChange change{.group = g, .list = l, .entry = a.entries[i], .from = i + 1,
                               .service = nameAt(first, a.named[i])};
        if (!pairs[i]) {
            change.kind = ChangeKind::Removed;
            changes.push_back(std::move(change));
            continue;
        }
        const std::size_t j = *pairs[i];
        order.push_back(j);
        pairedFirst.push_back(i);
        change.entry = b.entries[j];
        change.oldEntry = a.entries[i];
        change.to = j + 1;
        if (!sameService[i]) {
            change.newService = nameAt(second, b.named[j]);
            if (change.newService != change.service) {
                changes.push_back(std::move(change));
            }
        } else if (a.entries[i] != b.entries[j]) {
            changes.push_back(std::move(change));  // the same service under another number
        }
    }
    const auto kept = longestIncreasing(order);
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (!kept[k]) {
            const std::size_t i = pairedFirst[k];
            changes.push_back({.kind = ChangeKind::Moved, .group = g, .list = l, .entry = b.entries[order[k]],
                               .from = i + 1, .to = order[k] + 1, .service = nameAt(second, b.named[order[k]])});
        }
    }
    for (std::size_t j = 0; j < b.entries.size(); ++j) {
        if (!taken[j]) {
            changes.push_back({.kind = ChangeKind::Added, .group = g, .list = l, .entry = b.entries[j], .to = j + 1,
                               .service = nameAt(second, b.named[j])});
        }
    }
}

}  // namespace

std::vector<FavouriteChange> diffFavourites(const ChannelDatabase& first, const ChannelDatabase& second,
                                            const Pairing& servicePairs) {
    const FavouriteResolver resolverA(first);
    const FavouriteResolver resolverB(second);
    std::vector<FavouriteChange> changes;
    for (std::uint8_t g = 0; g < channeldb::favouriteGroupCount; ++g) {
        for (std::uint8_t l = 0; l < channeldb::favouriteListsPerGroup; ++l) {
            diffList(first, second, entriesOf(first, resolverA, g, l), entriesOf(second, resolverB, g, l), g, l,
                     servicePairs, changes);
        }
    }
    return changes;
}

}  // namespace bv3::edit::diffsupport
