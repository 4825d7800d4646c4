// The services of two lists: matched by what they are, then compared field by field.
#include "edit/list_diff_support.h"
#include "edit/operation_support.h"
#include "edit/service_identity.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>
#include <tuple>

namespace bv3::edit::diffsupport {

namespace {

using channeldb::ChannelDatabase;
using channeldb::ServiceRecord;

constexpr std::size_t noTs = std::numeric_limits<std::size_t>::max();

// The TS a service lies on, in the second list's rows: a TS of the first list that the second
// does not have gets a number no row of the second has.
std::size_t firstTsKey(const ChannelDatabase& db, const ServiceRecord& s, const Pairing& tsPairs) {
    if (s.tsIndex >= db.tsCount) {
        return noTs;
    }
    const auto& paired = tsPairs[s.tsIndex];
    return paired ? *paired : channeldb::tsCapacity + s.tsIndex;
}

std::size_t secondTsKey(const ChannelDatabase& db, const ServiceRecord& s) {
    return s.tsIndex < db.tsCount ? s.tsIndex : noTs;
}

std::string flagText(std::uint8_t flag) {
    return flag != 0 ? "on" : "off";
}

std::string numberText(std::uint16_t number) {
    return number == 0 ? "none" : std::to_string(number);
}

std::vector<FieldChange> fieldChanges(const ChannelDatabase& first, const ServiceRecord& a,
                                      const ChannelDatabase& second, const ServiceRecord& b, bool sameTs,
                                      const Pairing& providerPairs) {
    std::vector<FieldChange> fields;
    auto compare = [&](const char* field, std::string before, std::string after) {
        if (before != after) {
            fields.push_back({field, std::move(before), std::move(after)});
        }
    };
    // A renamed provider is reported once, under Providers, not on each of its services.
    if (!sameRecord(providerPairs, a.providerIndex, second.providerCount, b.providerIndex)) {
        fields.push_back({"provider", providerName(first, a.providerIndex), providerName(second, b.providerIndex)});
    }
    if (!sameTs) {
        fields.push_back({"TS", tsText(first, a.tsIndex), tsText(second, b.tsIndex)});
    }
    compare("flag 3", flagText(a.svcFlag3), flagText(b.svcFlag3));
    compare("flag 1", flagText(a.svcFlag1), flagText(b.svcFlag1));
    compare("flag 0", flagText(a.svcFlag0), flagText(b.svcFlag0));
    compare("value", std::to_string(a.svcNibble), std::to_string(b.svcNibble));
    compare("channel number", numberText(a.channelNumber), numberText(b.channelNumber));
    return fields;
}

bool lessWithoutCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

// What a reordered list is now plainly sorted by, if anything.
std::string sortedBy(const ChannelDatabase& db, const std::vector<std::size_t>& rows) {
    auto name = [&](std::size_t i) -> const std::string& { return db.services[rows[i]].svcName; };
    auto sorted = [&](auto outOfOrder) {
        for (std::size_t i = 1; i < rows.size(); ++i) {
            if (outOfOrder(i)) {
                return false;
            }
        }
        return true;
    };
    if (sorted([&](std::size_t i) { return lessWithoutCase(name(i), name(i - 1)); })) {
        return "name";
    }
    if (sorted([&](std::size_t i) { return lessWithoutCase(name(i - 1), name(i)); })) {
        return "name, descending";
    }
    // Services without a number stand last, as the editor's sort puts them.
    auto number = [&](std::size_t i) {
        const std::uint16_t n = db.services[rows[i]].channelNumber;
        return n == 0 ? std::uint32_t{0x10000} : std::uint32_t{n};
    };
    if (sorted([&](std::size_t i) { return number(i) < number(i - 1); })) {
        return "channel number";
    }
    return {};
}

using IdentityKey = std::tuple<ServiceWords, std::size_t>;
using NamedKey = std::tuple<ServiceWords, std::size_t, std::string>;
using WordsNameKey = std::tuple<ServiceWords, std::string>;

void diffGroup(const ChannelDatabase& first, const ChannelDatabase& second, const Pairing& tsPairs,
               const Pairing& providerPairs, std::uint8_t group, Pairing& servicePairs, ServiceDiff& diff) {
    const auto rowsA = support::rowsOfGroup(first, group);
    const auto rowsB = support::rowsOfGroup(second, group);
    auto a = [&](std::size_t i) -> const ServiceRecord& { return first.services[rowsA[i]]; };
    auto b = [&](std::size_t j) -> const ServiceRecord& { return second.services[rowsB[j]]; };
    std::vector<std::size_t> tsA(rowsA.size());
    std::vector<std::size_t> tsB(rowsB.size());
    for (std::size_t i = 0; i < rowsA.size(); ++i) {
        tsA[i] = firstTsKey(first, a(i), tsPairs);
    }
    for (std::size_t j = 0; j < rowsB.size(); ++j) {
        tsB[j] = secondTsKey(second, b(j));
    }

    Pairing pairs(rowsA.size());
    std::vector<bool> taken(rowsB.size());
    // Same words, TS and name first, so that a renamed duplicate does not take another's place.
    pairByKey<NamedKey>(
        pairs, taken, rowsB.size(), [&](std::size_t i) { return std::optional(NamedKey{serviceWordsOf(a(i)), tsA[i], a(i).svcName}); },
        [&](std::size_t j) { return std::optional(NamedKey{serviceWordsOf(b(j)), tsB[j], b(j).svcName}); });
    pairByKey<IdentityKey>(
        pairs, taken, rowsB.size(), [&](std::size_t i) { return std::optional(IdentityKey{serviceWordsOf(a(i)), tsA[i]}); },
        [&](std::size_t j) { return std::optional(IdentityKey{serviceWordsOf(b(j)), tsB[j]}); });
    pairByKey<WordsNameKey>(
        pairs, taken, rowsB.size(), [&](std::size_t i) { return std::optional(WordsNameKey{serviceWordsOf(a(i)), a(i).svcName}); },
        [&](std::size_t j) { return std::optional(WordsNameKey{serviceWordsOf(b(j)), b(j).svcName}); });

    std::vector<std::size_t> orderOfPairs;  // second positions, in first order
    std::vector<std::size_t> pairedFirst;
    for (std::size_t i = 0; i < rowsA.size(); ++i) {
        if (!pairs[i]) {
            diff.removed.push_back({a(i).svcName, group, i + 1});
            continue;
        }
        const std::size_t j = *pairs[i];
        servicePairs[rowsA[i]] = rowsB[j];
        orderOfPairs.push_back(j);
        pairedFirst.push_back(i);
        const ServicePlace place{b(j).svcName, group, j + 1};
        if (a(i).svcName != b(j).svcName) {
            diff.renamed.push_back({{a(i).svcName, group, i + 1}, place});
        }
        auto fields = fieldChanges(first, a(i), second, b(j), tsA[i] == tsB[j], providerPairs);
        if (!fields.empty()) {
            diff.changed.push_back({place, std::move(fields)});
        }
    }
    for (std::size_t j = 0; j < rowsB.size(); ++j) {
        if (!taken[j]) {
            diff.added.push_back({b(j).svcName, group, j + 1});
        }
    }
    const auto kept = longestIncreasing(orderOfPairs);
    GroupOrder& order = diff.order[group];
    order.matched = orderOfPairs.size();
    for (std::size_t k = 0; k < orderOfPairs.size(); ++k) {
        if (!kept[k]) {
            diff.moved.push_back({b(orderOfPairs[k]).svcName, group, pairedFirst[k] + 1, orderOfPairs[k] + 1});
            ++order.moved;
        }
    }
    if (order.moved > 0) {
        order.sortedBy = sortedBy(second, rowsB);
    }
}

}  // namespace

ServiceDiff diffServices(const ChannelDatabase& first, const ChannelDatabase& second, const Pairing& tsPairs,
                         const Pairing& providerPairs, Pairing& servicePairs) {
    ServiceDiff diff;
    servicePairs.assign(first.serviceCount(), std::nullopt);
    for (std::uint8_t group = 0; group < 2; ++group) {
        diffGroup(first, second, tsPairs, providerPairs, group, servicePairs, diff);
    }
    // Moves, renames and changes are listed in the second list's order, as the user reads the
    // new list.
    std::stable_sort(diff.moved.begin(), diff.moved.end(), [](const ServiceMove& x, const ServiceMove& y) {
        return std::tie(x.group, x.to) < std::tie(y.group, y.to);
    });
    std::stable_sort(diff.renamed.begin(), diff.renamed.end(), [](const ServiceRename& x, const ServiceRename& y) {
        return std::tie(x.to.group, x.to.position) < std::tie(y.to.group, y.to.position);
    });
    std::stable_sort(diff.changed.begin(), diff.changed.end(), [](const ServiceChange& x, const ServiceChange& y) {
        return std::tie(x.service.group, x.service.position) < std::tie(y.service.group, y.service.position);
    });
    return diff;
}

}  // namespace bv3::edit::diffsupport
