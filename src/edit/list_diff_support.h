#pragma once
// What the parts of the list comparison share: pairing two sequences by key, the longest run of
// pairs that kept their order, and the texts of references.

#include "channeldb/channel_database.h"
#include "edit/list_diff.h"
#include "edit/longest_increasing.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bv3::edit::diffsupport {

using Pairing = std::vector<std::optional<std::size_t>>;  // for each first item, its second item

// Pairs items with equal keys, in order (the n-th first item of a key takes the n-th second item
// of that key), leaving paired items alone. keyOf returns std::nullopt for an item that takes
// part in no pairing.
template <class Key, class FirstKey, class SecondKey>
void pairByKey(Pairing& pairing, std::vector<bool>& secondTaken, std::size_t secondCount, FirstKey firstKey,
               SecondKey secondKey) {
    std::map<Key, std::vector<std::size_t>> free;
    for (std::size_t j = secondCount; j-- > 0;) {
        if (!secondTaken[j]) {
            if (auto key = secondKey(j)) {
                free[*key].push_back(j);  // reversed, so that back() is the first in order
            }
        }
    }
    for (std::size_t i = 0; i < pairing.size(); ++i) {
        if (pairing[i]) {
            continue;
        }
        const auto key = firstKey(i);
        if (!key) {
            continue;
        }
        const auto found = free.find(*key);
        if (found == free.end() || found->second.empty()) {
            continue;
        }
        pairing[i] = found->second.back();
        secondTaken[found->second.back()] = true;
        found->second.pop_back();
    }
}

// The name of the provider (network) a row names, or "none" for a row the table does not hold.
std::string providerName(const channeldb::ChannelDatabase& db, std::uint32_t row);
std::string networkName(const channeldb::ChannelDatabase& db, std::uint32_t row);
// A TS as the editor shows it: "row: long A / long B", or "none".
std::string tsText(const channeldb::ChannelDatabase& db, std::uint32_t row);

// Records known by their name alone (providers, networks): the same name is the same record
// wherever its row, duplicates in order; a row whose name is found nowhere on the other side,
// facing such a row, was renamed.
struct NamedPairing {
    Pairing pairs;
    std::vector<RecordChange> changes;
};
NamedPairing pairNamed(const std::vector<std::string>& first, const std::vector<std::string>& second);
std::vector<std::string> providerNames(const channeldb::ChannelDatabase& db);
std::vector<std::string> networkNames(const channeldb::ChannelDatabase& db);

// Whether a reference of first (a provider or network row) names the record that second's
// reference names, by the pairing of their tables; two references to no record agree.
bool sameRecord(const Pairing& pairs, std::uint32_t firstRow, std::size_t secondCount, std::uint32_t secondRow);

// For each TS row of first, the TS row of second that is the same transport stream: the same
// numbers (network row aside), duplicates in order; then, for TS rows left on both sides at the
// same row, that row (its numbers were edited).
Pairing matchTransportStreams(const channeldb::ChannelDatabase& first, const channeldb::ChannelDatabase& second);

// The parts of the comparison. servicePairs: for each service row of first, the row of second
// that is the same service.
ServiceDiff diffServices(const channeldb::ChannelDatabase& first, const channeldb::ChannelDatabase& second,
                         const Pairing& tsPairs, const Pairing& providerPairs, Pairing& servicePairs);
std::vector<FavouriteChange> diffFavourites(const channeldb::ChannelDatabase& first,
                                            const channeldb::ChannelDatabase& second, const Pairing& servicePairs);
std::vector<RecordChange> diffTransportStreams(const channeldb::ChannelDatabase& first,
                                               const channeldb::ChannelDatabase& second, const Pairing& tsPairs,
                                               const Pairing& networkPairs);
std::vector<RecordChange> diffAntennas(const channeldb::ChannelDatabase& first, const channeldb::ChannelDatabase& second);
std::vector<MenuChange> diffMenu(const channeldb::ChannelDatabase& first, const channeldb::ChannelDatabase& second);

}  // namespace bv3::edit::diffsupport
