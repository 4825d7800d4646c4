#include "edit/favourite_operations.h"

#include "edit/edit_error.h"
#include "edit/favourite_reading.h"
#include "edit/operation_support.h"
#include "edit/transaction.h"

#include <algorithm>

namespace bv3::edit {

namespace {

using channeldb::ChannelDatabase;

}  // namespace

void checkFavouriteList(std::uint8_t group, std::uint8_t list) {
    if (group >= channeldb::favouriteGroupCount) {
        throw EditError("favourite group " + std::to_string(group) + " does not exist: 0 is video, 1 audio");
    }
    if (list >= channeldb::favouriteListsPerGroup) {
        throw EditError("favourite list " + std::to_string(list) + " does not exist: each group has lists 0 to 3");
    }
}

action::FavouriteListContent favouriteListContent(const ChannelList& list, std::uint8_t group, std::uint8_t list_) {
    const ChannelDatabase& db = list.database();
    const std::size_t count = db.favCount[group][list_];
    action::FavouriteListContent content;
    content.entries.assign(db.favEntry[group][list_].begin(), db.favEntry[group][list_].begin() + count);
    content.targets = list.favouriteTargets(group, list_);
    content.targets.resize(count, 0);
    return content;
}

namespace {

std::string listName(std::uint8_t group, std::uint8_t list) {
    return "favourite list " + std::to_string(group) + "/" + std::to_string(list);
}

void checkIndex(std::size_t index, std::size_t count, std::uint8_t group, std::uint8_t list) {
    if (index >= count) {
        throw EditError(listName(group, list) + " has no entry " + std::to_string(index) + ": it has " +
                        support::plural(count, "entry", "entries"));
    }
}

// The receiver would show a service twice in one favourite list.
void refuseTwice(const ChannelDatabase& db, const FavouriteResolver& resolver, std::uint8_t group, std::uint8_t list,
                 std::uint16_t entry, std::optional<std::size_t> row) {
    for (std::size_t i = 0; i < db.favCount[group][list]; ++i) {
        const std::uint16_t existing = db.favEntry[group][list][i];
        if (existing == entry || (row && resolver.resolve(group, existing) == row)) {
            const std::string what =
                row ? support::quoted(db.services[*row].svcName) : "entry " + std::to_string(entry);
            throw EditError(what + " is in " + listName(group, list) + " already (entry " + std::to_string(i) +
                            "); the receiver would show it twice");
        }
    }
}

void replaceList(ChannelList& list, std::uint8_t group, std::uint8_t list_, action::FavouriteListContent before,
                 action::FavouriteListContent after, std::string description) {
    if (before == after) {
        return;
    }
    Transaction tx(list, std::move(description));
    tx.apply(action::ReplaceFavouriteList{group, list_, std::move(before), std::move(after)});
    tx.commit();
}

}  // namespace

std::optional<std::size_t> resolveEntry(const ChannelDatabase& db, std::uint8_t group, std::uint16_t entry) {
    return FavouriteResolver(db).resolve(group, entry);
}

std::optional<std::uint16_t> entryFor(const ChannelDatabase& db, std::size_t row) {
    return FavouriteResolver(db).entryFor(row);
}

std::vector<FavouriteEntryView> favouriteEntries(const ChannelList& list, std::uint8_t group, std::uint8_t list_) {
    checkFavouriteList(group, list_);
    const FavouriteResolver resolver(list.database());
    const auto content = favouriteListContent(list, group, list_);
    std::vector<FavouriteEntryView> views;
    views.reserve(content.entries.size());
    for (std::size_t i = 0; i < content.entries.size(); ++i) {
        views.push_back({content.entries[i], resolver.resolve(group, content.entries[i]), content.targets[i]});
    }
    return views;
}

void addFavourite(ChannelList& list, std::uint8_t group, std::uint8_t list_, std::uint16_t entry,
                  std::optional<std::size_t> index) {
    checkFavouriteList(group, list_);
    auto before = favouriteListContent(list, group, list_);
    const std::size_t count = before.entries.size();
    if (count >= channeldb::favouriteEntryCapacity) {
        throw EditError(listName(group, list_) + " holds " + std::to_string(channeldb::favouriteEntryCapacity) +
                        " entries already, as many as it can");
    }
    const std::size_t at = index.value_or(count);
    if (at > count) {
        throw EditError(listName(group, list_) + " has " + support::plural(count, "entry", "entries") +
                        "; a new one can go at 0 to " + std::to_string(count));
    }
    // The entry remembers the service it names now, so a later edit that changes that shows.
    const FavouriteResolver resolver(list.database());
    const auto row = resolver.resolve(group, entry);
    refuseTwice(list.database(), resolver, group, list_, entry, row);
    auto after = before;
    after.entries.insert(after.entries.begin() + static_cast<std::ptrdiff_t>(at), entry);
    after.targets.insert(after.targets.begin() + static_cast<std::ptrdiff_t>(at), row ? list.serviceId(*row) : 0);
    replaceList(list, group, list_, std::move(before), std::move(after),
                "Add " + std::to_string(entry) + " to " + listName(group, list_));
}

void removeFavourites(ChannelList& list, std::uint8_t group, std::uint8_t list_,
                      const std::vector<std::size_t>& indices) {
    checkFavouriteList(group, list_);
    auto before = favouriteListContent(list, group, list_);
    std::vector<std::size_t> sorted(indices);
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    if (sorted.empty()) {
        throw EditError("no favourite entries selected");
    }
    checkIndex(sorted.back(), before.entries.size(), group, list_);
    auto after = before;
    for (auto i = sorted.rbegin(); i != sorted.rend(); ++i) {
        after.entries.erase(after.entries.begin() + static_cast<std::ptrdiff_t>(*i));
        after.targets.erase(after.targets.begin() + static_cast<std::ptrdiff_t>(*i));
    }
    replaceList(list, group, list_, std::move(before), std::move(after),
                "Remove " + support::plural(sorted.size(), "entry", "entries") + " from " + listName(group, list_));
}

void moveFavourite(ChannelList& list, std::uint8_t group, std::uint8_t list_, std::size_t from, std::size_t to) {
    checkFavouriteList(group, list_);
    auto before = favouriteListContent(list, group, list_);
    const std::size_t count = before.entries.size();
    checkIndex(from, count, group, list_);
    if (to >= count) {
        throw EditError(listName(group, list_) + " has " + support::plural(count, "entry", "entries") +
                        "; an entry can move to 0 to " + std::to_string(count - 1));
    }
    auto after = before;
    const std::uint16_t entry = after.entries[from];
    const ServiceId target = after.targets[from];
    after.entries.erase(after.entries.begin() + static_cast<std::ptrdiff_t>(from));
    after.targets.erase(after.targets.begin() + static_cast<std::ptrdiff_t>(from));
    after.entries.insert(after.entries.begin() + static_cast<std::ptrdiff_t>(to), entry);
    after.targets.insert(after.targets.begin() + static_cast<std::ptrdiff_t>(to), target);
    replaceList(list, group, list_, std::move(before), std::move(after),
                "Move a favourite of " + listName(group, list_));
}

}  // namespace bv3::edit
