#include "edit/reference_order.h"

#include "channeldb/layout.h"
#include "edit/favourite_reading.h"
#include "edit/operation_support.h"
#include "edit/service_identity.h"
#include "edit/transaction.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>

namespace bv3::edit {

namespace {

using channeldb::ChannelDatabase;
using channeldb::ServiceRecord;

bool keepsNumbers(std::uint8_t modelCode) {
    // Where services without a number have slots of their own, the number places a service.
    return channeldb::modelRulesFor(modelCode).firstUnnumberedSlot != 0;
}

bool sameTs(const std::optional<TsNumbers>& a, const std::optional<TsNumbers>& b) {
    return !a || !b || *a == *b;  // where either names no TS, kind and name decide
}

bool hasWords(const ServiceRecord& s) {
    const ServiceWords words = serviceWordsOf(s);
    return std::any_of(words.begin(), words.end(), [](std::uint16_t w) { return w != 0; });
}

}  // namespace

std::vector<std::optional<std::size_t>> matchServices(const ChannelDatabase& list, const ChannelDatabase& reference) {
    const std::size_t count = list.serviceCount();
    std::vector<std::optional<TsNumbers>> ts(count);
    for (std::size_t row = 0; row < count; ++row) {
        ts[row] = tsNumbersOf(list, list.services[row]);
    }
    std::vector<std::optional<std::size_t>> matches(count);
    std::vector<bool> referenceTaken(reference.serviceCount(), false);

    // First by name, over the whole reference: a renamed service is matched by its numbers only
    // after every name has had its pick, so a number match never takes a service that a name
    // match further down the reference would have taken.
    std::map<std::pair<std::uint8_t, std::string>, std::vector<std::size_t>> byName;
    for (std::size_t row = 0; row < count; ++row) {
        const ServiceRecord& s = list.services[row];
        byName[{support::groupIndex(s), s.svcName}].push_back(row);
    }
    for (std::size_t ref = 0; ref < reference.serviceCount(); ++ref) {
        const ServiceRecord& r = reference.services[ref];
        const auto found = byName.find({support::groupIndex(r), r.svcName});
        if (found == byName.end()) {
            continue;
        }
        const auto refTs = tsNumbersOf(reference, r);
        auto& rows = found->second;
        const auto pick =
            std::find_if(rows.begin(), rows.end(), [&](std::size_t row) { return sameTs(ts[row], refTs); });
        if (pick != rows.end()) {
            matches[*pick] = ref;
            referenceTaken[ref] = true;
            rows.erase(pick);  // taken: duplicates pair up in order
        }
    }

    // Then by numbers, among what the names left: the same kind, service words and TS numbers.
    // Both must name a TS and carry words: without them nothing but the kind would be left to
    // compare, and any two services would pair.
    using NumberKey = std::tuple<std::uint8_t, ServiceWords, TsNumbers>;
    std::map<NumberKey, std::vector<std::size_t>> byNumbers;
    for (std::size_t row = 0; row < count; ++row) {
        const ServiceRecord& s = list.services[row];
        if (!matches[row] && ts[row] && hasWords(s)) {
            byNumbers[{support::groupIndex(s), serviceWordsOf(s), *ts[row]}].push_back(row);
        }
    }
    for (std::size_t ref = 0; ref < reference.serviceCount() && !byNumbers.empty(); ++ref) {
        const ServiceRecord& r = reference.services[ref];
        const auto refTs = tsNumbersOf(reference, r);
        if (referenceTaken[ref] || !refTs || !hasWords(r)) {
            continue;
        }
        const auto found = byNumbers.find({support::groupIndex(r), serviceWordsOf(r), *refTs});
        if (found == byNumbers.end()) {
            continue;
        }
        auto& rows = found->second;
        matches[rows.front()] = ref;
        rows.erase(rows.begin());  // taken: services with the same numbers pair up in order
        if (rows.empty()) {
            byNumbers.erase(found);
        }
    }
    return matches;
}

ReorderReport reorderByReference(ChannelList& list, const ChannelDatabase& reference, const ReorderOptions& options) {
    const ChannelDatabase& db = list.database();
    const auto matches = matchServices(db, reference);
    ReorderReport report;
    // Identities stay with the services through the steps below; the reference rows they
    // matched are remembered by identity.
    std::unordered_map<ServiceId, std::size_t> referenceOf;
    std::unordered_map<std::size_t, ServiceId> matchedBy;
    for (std::size_t row = 0; row < matches.size(); ++row) {
        if (matches[row]) {
            referenceOf.emplace(list.serviceId(row), *matches[row]);
            matchedBy.emplace(*matches[row], list.serviceId(row));
            ++report.matched;
            report.matchedRenamed += db.services[row].svcName != reference.services[*matches[row]].svcName ? 1 : 0;
        } else {
            ++report.unmatched;
        }
    }
    report.referenceUnmatched = reference.serviceCount() - report.matched;

    Transaction tx(list, "Order like the reference list");
    std::vector<ServiceId> droppedIds;
    for (std::uint8_t group = 0; group < 2; ++group) {
        const auto rows = support::rowsOfGroup(db, group);
        std::vector<std::uint16_t> order(rows.size());
        std::iota(order.begin(), order.end(), std::uint16_t{0});
        std::stable_sort(order.begin(), order.end(), [&](std::uint16_t a, std::uint16_t b) {
            const auto& ma = matches[rows[a]];
            const auto& mb = matches[rows[b]];
            if (ma && mb) {
                return *ma < *mb;
            }
            return ma.has_value() && !mb.has_value();
        });
        for (const std::uint16_t p : order) {
            if (!matches[rows[p]] && options.dropUnmatched) {
                droppedIds.push_back(list.serviceId(rows[p]));
            }
        }
        if (!std::is_sorted(order.begin(), order.end())) {
            tx.apply(action::PermuteServices{group, 0, std::move(order)});
        }
    }

    // Channel numbers follow the reference where both receivers keep them.
    if (keepsNumbers(list.modelCode()) && (!options.referenceModel || keepsNumbers(*options.referenceModel))) {
        action::ReplaceServices numbers;
        std::array<std::set<std::uint16_t>, 2> taken;
        for (std::size_t row = 0; row < db.serviceCount(); ++row) {
            const auto found = referenceOf.find(list.serviceId(row));
            if (found != referenceOf.end()) {
                taken[support::groupIndex(db.services[row])].insert(reference.services[found->second].channelNumber);
            }
        }
        for (std::size_t row = 0; row < db.serviceCount(); ++row) {
            const ServiceRecord& s = db.services[row];
            const auto found = referenceOf.find(list.serviceId(row));
            std::uint16_t number = s.channelNumber;
            if (found != referenceOf.end()) {
                number = reference.services[found->second].channelNumber;
                report.numbersTaken += number != s.channelNumber ? 1 : 0;
            } else if (number != 0 && taken[support::groupIndex(s)].contains(number)) {
                number = 0;
            }
            if (number != s.channelNumber) {
                numbers.rows.push_back(static_cast<std::uint16_t>(row));
                numbers.before.push_back(s);
                numbers.after.push_back(s);
                numbers.after.back().channelNumber = number;
            }
        }
        if (!numbers.rows.empty()) {
            tx.apply(std::move(numbers));
        }
    }

    if (!droppedIds.empty()) {
        const std::set<ServiceId> dropped(droppedIds.begin(), droppedIds.end());
        action::EraseServices erase;
        erase.videoBefore = erase.videoAfter = db.videoCount;
        erase.audioBefore = erase.audioAfter = db.audioCount;
        for (std::size_t row = 0; row < db.serviceCount(); ++row) {
            if (dropped.contains(list.serviceId(row))) {
                erase.rows.push_back(static_cast<std::uint16_t>(row));
                erase.records.push_back(db.services[row]);
                erase.ids.push_back(list.serviceId(row));
                std::uint16_t& own = support::groupIndex(db.services[row]) == 0 ? erase.videoAfter : erase.audioAfter;
                std::uint16_t& other = &own == &erase.videoAfter ? erase.audioAfter : erase.videoAfter;
                (own > 0 ? own : other)--;
            }
        }
        report.dropped = erase.rows.size();
        tx.apply(std::move(erase));
    }

    if (options.carryFavourites) {
        tx.leaveFavouritesAsSet();
        const FavouriteResolver theirs(reference);
        const FavouriteResolver ours(db);
        std::unordered_map<ServiceId, std::size_t> rowOfId;
        for (std::size_t row = 0; row < db.serviceCount(); ++row) {
            rowOfId.emplace(list.serviceId(row), row);
        }
        for (std::uint8_t g = 0; g < channeldb::favouriteGroupCount; ++g) {
            for (std::uint8_t l = 0; l < channeldb::favouriteListsPerGroup; ++l) {
                action::FavouriteListContent after;
                for (std::size_t i = 0; i < reference.favCount[g][l] && i < channeldb::favouriteEntryCapacity; ++i) {
                    const auto refRow = theirs.resolve(g, reference.favEntry[g][l][i]);
                    const auto id = refRow ? matchedBy.find(*refRow) : matchedBy.end();
                    const auto row = id != matchedBy.end() ? rowOfId.find(id->second) : rowOfId.end();
                    const auto entry = row != rowOfId.end() ? ours.entryFor(row->second) : std::nullopt;
                    if (!entry) {
                        ++report.favouritesLeftOut;
                        continue;
                    }
                    after.entries.push_back(*entry);
                    after.targets.push_back(id->second);
                    ++report.favouritesCarried;
                }
                action::FavouriteListContent before;
                before.entries.assign(db.favEntry[g][l].begin(), db.favEntry[g][l].begin() + db.favCount[g][l]);
                before.targets = list.favouriteTargets(g, l);
                if (before != after) {
                    tx.apply(action::ReplaceFavouriteList{g, l, std::move(before), std::move(after)});
                }
            }
        }
    }
    tx.commit();
    return report;
}

}  // namespace bv3::edit
