#include "edit/list_diff.h"

#include "edit/list_diff_support.h"
#include "edit/service_identity.h"

#include <algorithm>
#include <cstdlib>

namespace bv3::edit {

namespace diffsupport {

using channeldb::ChannelDatabase;

std::string providerName(const ChannelDatabase& db, std::uint32_t row) {
    return row < db.providerCount ? "\"" + db.providers[row].provName + "\"" : "none";
}

std::string networkName(const ChannelDatabase& db, std::uint32_t row) {
    return row < db.networkCount ? "\"" + db.networks[row].netName + "\"" : "none";
}

std::string tsText(const ChannelDatabase& db, std::uint32_t row) {
    if (row >= db.tsCount) {
        return "none";
    }
    const auto& ts = db.transportStreams[row];
    return std::to_string(row) + ": " + std::to_string(ts.tsLongA) + " / " + std::to_string(ts.tsLongB);
}

Pairing matchTransportStreams(const ChannelDatabase& first, const ChannelDatabase& second) {
    Pairing pairs(first.tsCount);
    std::vector<bool> taken(second.tsCount);
    auto numbers = [](const ChannelDatabase& db) {
        return [&db](std::size_t row) {
            const auto& t = db.transportStreams[row];
            return std::optional(TsNumbers{t.tsWordC, t.tsLongA, t.tsLongB, t.tsByteA, t.tsByteB, t.tsWordA, t.tsWordB});
        };
    };
    pairByKey<TsNumbers>(pairs, taken, second.tsCount, numbers(first), numbers(second));
    for (std::size_t row = 0; row < pairs.size() && row < taken.size(); ++row) {
        if (!pairs[row] && !taken[row]) {
            pairs[row] = row;
            taken[row] = true;
        }
    }
    return pairs;
}

}  // namespace diffsupport

bool ListDiff::same() const {
    const ServiceDiff& s = services;
    return s.added.empty() && s.removed.empty() && s.renamed.empty() && s.moved.empty() && s.changed.empty() &&
           favourites.empty() && providers.empty() && networks.empty() && ts.empty() && antennas.empty() &&
           menu.empty();
}

ListDiff diffLists(const channeldb::ChannelDatabase& first, const channeldb::ChannelDatabase& second) {
    using namespace diffsupport;
    ListDiff diff;
    const Pairing tsPairs = matchTransportStreams(first, second);
    NamedPairing providers = pairNamed(providerNames(first), providerNames(second));
    NamedPairing networks = pairNamed(networkNames(first), networkNames(second));
    Pairing servicePairs;
    diff.services = diffServices(first, second, tsPairs, providers.pairs, servicePairs);
    diff.favourites = diffFavourites(first, second, servicePairs);
    diff.providers = std::move(providers.changes);
    diff.networks = std::move(networks.changes);
    diff.ts = diffTransportStreams(first, second, tsPairs, networks.pairs);
    diff.antennas = diffAntennas(first, second);
    diff.menu = diffMenu(first, second);
    return diff;
}

std::string menuTimeText(std::int32_t value) {
    const std::int64_t v = value;
    const std::int64_t magnitude = std::llabs(v);
    const std::int64_t minutes = magnitude % 100;
    return std::string(v < 0 ? "-" : "") + std::to_string(magnitude / 100) + ":" + (minutes < 10 ? "0" : "") +
           std::to_string(minutes);
}

}  // namespace bv3::edit
