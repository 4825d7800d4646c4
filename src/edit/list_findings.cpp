#include "edit/list_findings.h"

#include "edit/favourite_reading.h"

#include <string>
#include <unordered_map>

namespace bv3::edit {

namespace {

using channeldb::ChannelDatabase;
using channeldb::favouriteGroupCount;
using channeldb::favouriteListsPerGroup;

// The first line of each part of the text: the header is line 1, "[ANTENNA]" line 2, and every
// section is its tag line followed by one line per row.
struct SectionLines {
    std::size_t ts = 0, networks = 0, providers = 0, favourites = 0, services = 0, menu = 0;
};

SectionLines sectionLines(const ChannelDatabase& db) {
    SectionLines s;
    s.ts = 2 + 1 + channeldb::antennaCount + 1;  // first TS line
    s.networks = s.ts + db.tsCount + 1;
    s.providers = s.networks + db.networkCount + 1;
    s.favourites = s.providers + db.providerCount + 1;
    std::size_t entries = 0;
    for (const auto& group : db.favCount) {
        for (const std::uint16_t count : group) {
            entries += count;
        }
    }
    s.services = s.favourites + entries + 1;
    s.menu = s.services + db.serviceCount() + 1;
    return s;
}

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

}  // namespace

channeldb::QnfLineMap qnfLinesOf(const ChannelDatabase& db) {
    const SectionLines s = sectionLines(db);
    channeldb::QnfLineMap map;
    auto fill = [](std::vector<std::size_t>& lines, std::size_t first, std::size_t count) {
        lines.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            lines[i] = first + i;
        }
    };
    fill(map.transportStreams, s.ts, db.tsCount);
    fill(map.networks, s.networks, db.networkCount);
    fill(map.providers, s.providers, db.providerCount);
    fill(map.services, s.services, db.serviceCount());
    std::size_t line = s.favourites;
    for (std::size_t g = 0; g < favouriteGroupCount; ++g) {
        for (std::size_t l = 0; l < favouriteListsPerGroup; ++l) {
            map.favouriteLists[g][l] = db.favCount[g][l] != 0 ? line : 0;
            line += db.favCount[g][l];
        }
    }
    return map;
}

ListPlace placeOfLine(const ChannelDatabase& db, std::size_t line) {
    const SectionLines s = sectionLines(db);
    auto within = [&](std::size_t first, std::size_t count) { return line >= first && line < first + count; };
    if (within(s.ts, db.tsCount)) {
        return {ListTable::TransportStreams, line - s.ts};
    }
    if (within(s.networks, db.networkCount)) {
        return {ListTable::Networks, line - s.networks};
    }
    if (within(s.providers, db.providerCount)) {
        return {ListTable::Providers, line - s.providers};
    }
    if (within(s.services, db.serviceCount())) {
        return {ListTable::Services, line - s.services};
    }
    if (line >= 3 && line < 3 + channeldb::antennaCount) {
        return {ListTable::Antennas, line - 3};
    }
    if (line == s.menu) {
        return {ListTable::Menu, 0};
    }
    std::size_t first = s.favourites;
    for (std::size_t g = 0; g < favouriteGroupCount; ++g) {
        for (std::size_t l = 0; l < favouriteListsPerGroup; ++l) {
            if (within(first, db.favCount[g][l])) {
                return {ListTable::Favourites, line - first, static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(l)};
            }
            first += db.favCount[g][l];
        }
    }
    return {};
}

std::vector<ListFinding> findListFindings(const ListState& state, std::uint8_t modelCode) {
    const ChannelDatabase& db = *state.db;
    const channeldb::QnfLineMap lines = qnfLinesOf(db);
    std::vector<ListFinding> findings;
    for (channeldb::Finding& finding : channeldb::checkChannelList(db, modelCode, &lines)) {
        const ListPlace place = finding.line ? placeOfLine(db, *finding.line) : ListPlace{};
        findings.push_back({std::move(finding), place});
    }

    // Favourite entries, against the reading of favourite_reading.h.
    const FavouriteResolver resolver(db);
    std::unordered_map<ServiceId, std::size_t> rowOfId;
    rowOfId.reserve(state.serviceIds.size());
    for (std::size_t row = 0; row < state.serviceIds.size(); ++row) {
        rowOfId.emplace(state.serviceIds[row], row);
    }
    const SectionLines s = sectionLines(db);
    std::size_t line = s.favourites;
    for (std::uint8_t g = 0; g < favouriteGroupCount; ++g) {
        const char* groupName = g == 0 ? "video" : "audio";
        for (std::uint8_t l = 0; l < favouriteListsPerGroup; ++l) {
            const auto& targets = state.favouriteTargets[g][l];
            for (std::size_t i = 0; i < db.favCount[g][l]; ++i, ++line) {
                const std::uint16_t entry = db.favEntry[g][l][i];
                const ServiceId target = i < targets.size() ? targets[i] : 0;
                const auto row = resolver.resolve(g, entry);
                const std::string what = "favourite list " + std::to_string(g) + "/" + std::to_string(l) + " entry " +
                                         std::to_string(i) + " (" + std::to_string(entry) + ")";
                std::string message;
                if (!row) {
                    message = what + " names no " + groupName + " service";
                    if (target != 0) {
                        const auto was = rowOfId.find(target);
                        message += was == rowOfId.end()
                                       ? "; the service it named was deleted"
                                       : "; it named " + quoted(db.services[was->second].svcName) + ", now service " +
                                             std::to_string(was->second);
                    }
                } else if (target != 0 && state.serviceIds[*row] != target) {
                    const auto was = rowOfId.find(target);
                    message = what + " now names " + quoted(db.services[*row].svcName) + "; it named " +
                              (was == rowOfId.end() ? std::string("a service that was deleted")
                                                    : quoted(db.services[was->second].svcName));
                } else {
                    continue;
                }
                findings.push_back({{channeldb::Severity::Warning, "line " + std::to_string(line), std::move(message),
                                     {}, line},
                                    {ListTable::Favourites, i, g, l}});
            }
        }
    }
    return findings;
}

}  // namespace bv3::edit
