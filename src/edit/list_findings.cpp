#include "edit/list_findings.h"

#include "channeldb/qnf_check.h"
#include "channeldb/qnf_writer.h"
#include "edit/favourite_reading.h"

#include <string>
#include <unordered_map>

namespace bv3::edit {

namespace {

using channeldb::ChannelDatabase;
using channeldb::favouriteGroupCount;
using channeldb::favouriteListsPerGroup;
using channeldb::ListTable;

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

}  // namespace

std::vector<ListFinding> findListFindings(const ListState& state, std::uint8_t modelCode) {
    const ChannelDatabase& db = *state.db;
    const channeldb::QnfLineMap lines = channeldb::qnfLinesOf(db);
    std::vector<ListFinding> findings;
    for (channeldb::Finding& finding : channeldb::checkChannelList(db, modelCode, &lines)) {
        const ListPlace place = finding.place;
        findings.push_back({std::move(finding), place});
    }

    // Favourite entries, against the reading of favourite_reading.h.
    const FavouriteResolver resolver(db);
    std::unordered_map<ServiceId, std::size_t> rowOfId;
    rowOfId.reserve(state.serviceIds.size());
    for (std::size_t row = 0; row < state.serviceIds.size(); ++row) {
        rowOfId.emplace(state.serviceIds[row], row);
    }
    for (std::uint8_t g = 0; g < favouriteGroupCount; ++g) {
        const char* groupName = g == 0 ? "video" : "audio";
        for (std::uint8_t l = 0; l < favouriteListsPerGroup; ++l) {
            const auto& targets = state.favouriteTargets[g][l];
            for (std::size_t i = 0; i < db.favCount[g][l]; ++i) {
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
                        message += was == rowOfId.end() ? "; the service it named was deleted"
                                                        : "; it named " + quoted(db.services[was->second].svcName) +
                                                              ", now service " + std::to_string(was->second);
                    }
                } else if (target != 0 && state.serviceIds[*row] != target) {
                    const auto was = rowOfId.find(target);
                    message = what + " now names " + quoted(db.services[*row].svcName) + "; it named " +
                              (was == rowOfId.end() ? std::string("a service that was deleted")
                                                    : quoted(db.services[was->second].svcName));
                } else {
                    continue;
                }
                const ListPlace place{ListTable::Favourites, i, g, l};
                const auto line = channeldb::lineOf(lines, place);
                const std::string where = line ? "line " + std::to_string(*line) : std::string();
                findings.push_back({{channeldb::Severity::Warning, where, std::move(message), {}, line, place}, place});
            }
        }
    }
    return findings;
}

}  // namespace bv3::edit
