#include "edit/duplicates.h"

#include "edit/operation_support.h"
#include "edit/service_identity.h"
#include "edit/service_operations.h"

#include <map>
#include <set>
#include <string>
#include <tuple>

namespace bv3::edit {

namespace {

using channeldb::ChannelDatabase;

template <class Key, class KeyOf>
std::vector<DuplicateGroup> groupRowsBy(const ChannelDatabase& db, KeyOf&& keyOf) {
    std::map<Key, std::size_t> groupOfKey;
    std::vector<DuplicateGroup> groups;
    for (std::size_t row = 0; row < db.serviceCount(); ++row) {
        const auto [found, inserted] = groupOfKey.emplace(keyOf(db.services[row]), groups.size());
        if (inserted) {
            groups.push_back({{row}});
        } else {
            groups[found->second].rows.push_back(row);
        }
    }
    return groups;
}

}  // namespace

std::vector<DuplicateGroup> findDuplicates(const ChannelDatabase& db) {
    using Key = std::tuple<std::uint8_t, ServiceWords, std::optional<TsNumbers>>;
    auto groups = groupRowsBy<Key>(db, [&](const channeldb::ServiceRecord& s) {
        return Key{support::groupIndex(s), serviceWordsOf(s), tsNumbersOf(db, s)};
    });
    std::erase_if(groups, [](const DuplicateGroup& g) { return g.rows.size() < 2; });
    return groups;
}

std::vector<DuplicateGroup> findNearDuplicates(const ChannelDatabase& db) {
    using Key = std::tuple<std::uint8_t, std::string>;
    auto groups = groupRowsBy<Key>(db, [](const channeldb::ServiceRecord& s) {
        return Key{support::groupIndex(s), s.svcName};
    });
    // Same name on one TS only is not near: those are duplicates or plain namesakes.
    std::erase_if(groups, [&](const DuplicateGroup& g) {
        std::set<std::optional<TsNumbers>> numbers;
        for (const std::size_t row : g.rows) {
            numbers.insert(tsNumbersOf(db, db.services[row]));
        }
        return numbers.size() < 2;
    });
    return groups;
}

std::size_t removeDuplicates(ChannelList& list) {
    std::vector<std::size_t> rows;
    for (const DuplicateGroup& group : findDuplicates(list.database())) {
        rows.insert(rows.end(), group.rows.begin() + 1, group.rows.end());
    }
    if (rows.empty()) {
        return 0;
    }
    EditGroup step(list, "Remove " + support::plural(rows.size(), "duplicate", "duplicates"));
    deleteServices(list, rows);
    return rows.size();
}

}  // namespace bv3::edit
