// Providers, networks, transport streams, antennas and the menu of two lists.
#include "edit/list_diff_support.h"

#include <algorithm>

namespace bv3::edit::diffsupport {

namespace {

using channeldb::ChannelDatabase;

void compareNumber(std::vector<FieldChange>& fields, const char* field, std::int64_t before, std::int64_t after) {
    if (before != after) {
        fields.push_back({field, std::to_string(before), std::to_string(after)});
    }
}

std::string antennaName(const channeldb::AntennaRecord& a) {
    const auto end = std::find(a.antName.begin(), a.antName.end(), '\0');
    return std::string(a.antName.begin(), end);
}

// The names of the rows of a provider or network table in use.
template <class Record>
std::vector<std::string> namesOf(const std::vector<Record>& rows, std::size_t count, std::string Record::*name) {
    std::vector<std::string> names;
    for (std::size_t row = 0; row < count && row < rows.size(); ++row) {
        names.push_back(rows[row].*name);
    }
    return names;
}

}  // namespace

NamedPairing pairNamed(const std::vector<std::string>& first, const std::vector<std::string>& second) {
    NamedPairing result{Pairing(first.size()), {}};
    Pairing& pairs = result.pairs;
    std::vector<bool> taken(second.size());
    pairByKey<std::string>(pairs, taken, second.size(), [&](std::size_t i) { return std::optional(first[i]); },
                           [&](std::size_t j) { return std::optional(second[j]); });
    for (std::size_t i = 0; i < first.size(); ++i) {
        if (pairs[i]) {
            continue;
        }
        if (i < second.size() && !taken[i]) {
            taken[i] = true;
            pairs[i] = i;
            result.changes.push_back({ChangeKind::Renamed, i, first[i], second[i], {}});
        } else {
            result.changes.push_back({ChangeKind::Removed, i, first[i], {}, {}});
        }
    }
    for (std::size_t j = 0; j < second.size(); ++j) {
        if (!taken[j]) {
            result.changes.push_back({ChangeKind::Added, j, second[j], {}, {}});
        }
    }
    return result;
}

std::vector<std::string> providerNames(const ChannelDatabase& db) {
    return namesOf(db.providers, db.providerCount, &channeldb::ProviderRecord::provName);
}

std::vector<std::string> networkNames(const ChannelDatabase& db) {
    return namesOf(db.networks, db.networkCount, &channeldb::NetworkRecord::netName);
}

bool sameRecord(const Pairing& pairs, std::uint32_t firstRow, std::size_t secondCount, std::uint32_t secondRow) {
    const bool firstNone = firstRow >= pairs.size();
    const bool secondNone = secondRow >= secondCount;
    if (firstNone || secondNone) {
        return firstNone && secondNone;
    }
    return pairs[firstRow] == std::optional<std::size_t>(secondRow);
}

std::vector<RecordChange> diffTransportStreams(const ChannelDatabase& first, const ChannelDatabase& second,
                                               const Pairing& tsPairs, const Pairing& networkPairs) {
    std::vector<RecordChange> changes;
    std::vector<bool> taken(second.tsCount);
    for (std::size_t i = 0; i < first.tsCount; ++i) {
        if (!tsPairs[i]) {
            changes.push_back({ChangeKind::Removed, i, tsText(first, static_cast<std::uint32_t>(i)), {}, {}});
            continue;
        }
        const std::size_t j = *tsPairs[i];
        taken[j] = true;
        const auto& a = first.transportStreams[i];
        const auto& b = second.transportStreams[j];
        std::vector<FieldChange> fields;
        compareNumber(fields, "word C", a.tsWordC, b.tsWordC);
        // A renamed network is reported once, under Networks, not on each of its TS.
        if (!sameRecord(networkPairs, a.networkIndex, second.networkCount, b.networkIndex)) {
            fields.push_back({"network", networkName(first, a.networkIndex), networkName(second, b.networkIndex)});
        }
        compareNumber(fields, "long A", a.tsLongA, b.tsLongA);
        compareNumber(fields, "long B", a.tsLongB, b.tsLongB);
        compareNumber(fields, "byte A", a.tsByteA, b.tsByteA);
        compareNumber(fields, "byte B", a.tsByteB, b.tsByteB);
        compareNumber(fields, "word A", a.tsWordA, b.tsWordA);
        compareNumber(fields, "word B", a.tsWordB, b.tsWordB);
        if (!fields.empty()) {
            changes.push_back({ChangeKind::Changed, j, tsText(first, static_cast<std::uint32_t>(i)), {}, std::move(fields)});
        }
    }
    for (std::size_t j = 0; j < second.tsCount; ++j) {
        if (!taken[j]) {
            changes.push_back({ChangeKind::Added, j, tsText(second, static_cast<std::uint32_t>(j)), {}, {}});
        }
    }
    return changes;
}

std::vector<RecordChange> diffAntennas(const ChannelDatabase& first, const ChannelDatabase& second) {
    std::vector<RecordChange> changes;
    for (std::size_t i = 0; i < channeldb::antennaCount; ++i) {
        const auto& a = first.antennas[i];
        const auto& b = second.antennas[i];
        std::vector<FieldChange> fields;
        compareNumber(fields, "long", a.antLong, b.antLong);
        compareNumber(fields, "word A", a.antWordA, b.antWordA);
        compareNumber(fields, "word B", a.antWordB, b.antWordB);
        compareNumber(fields, "byte A", a.antByteA, b.antByteA);
        compareNumber(fields, "byte B", a.antByteB, b.antByteB);
        compareNumber(fields, "byte C", a.antByteC, b.antByteC);
        compareNumber(fields, "byte D", a.antByteD, b.antByteD);
        if (antennaName(a) != antennaName(b)) {
            changes.push_back({ChangeKind::Renamed, i, antennaName(a), antennaName(b), {}});
        }
        if (!fields.empty()) {
            changes.push_back({ChangeKind::Changed, i, antennaName(b), {}, std::move(fields)});
        }
    }
    return changes;
}

std::vector<MenuChange> diffMenu(const ChannelDatabase& first, const ChannelDatabase& second) {
    std::vector<std::int64_t> a;
    std::vector<std::int64_t> b;
    channeldb::forEachMenuValue(first.menu, [&](auto v) { a.push_back(v); });
    channeldb::forEachMenuValue(second.menu, [&](auto v) { b.push_back(v); });
    std::vector<MenuChange> changes;
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (a[k] == b[k]) {
            continue;
        }
        if (k == 4) {  // value 5, the time of day
            changes.push_back({k + 1, menuTimeText(first.menu.menuValue5), menuTimeText(second.menu.menuValue5)});
        } else {
            changes.push_back({k + 1, std::to_string(a[k]), std::to_string(b[k])});
        }
    }
    return changes;
}

}  // namespace bv3::edit::diffsupport
