#include "edit/changed_services.h"

#include "edit/longest_increasing.h"
#include "edit/operation_support.h"

#include <algorithm>
#include <unordered_map>

namespace bv3::edit {

ServiceSnapshot snapshotServices(const ChannelList& list) {
    const auto& db = list.database();
    ServiceSnapshot snapshot;
    snapshot.ids = list.state().serviceIds;
    snapshot.records.assign(db.services.begin(), db.services.begin() + static_cast<std::ptrdiff_t>(db.serviceCount()));
    return snapshot;
}

std::vector<std::size_t> changedServiceRows(const ServiceSnapshot& before, const ChannelList& after) {
    std::unordered_map<ServiceId, std::size_t> oldRow;
    for (std::size_t row = 0; row < before.ids.size(); ++row) {
        oldRow.emplace(before.ids[row], row);
    }
    const auto& db = after.database();
    std::vector<bool> changed(db.serviceCount(), false);
    for (std::uint8_t group = 0; group < 2; ++group) {
        std::vector<std::size_t> rows;      // rows of this group kept from before, in order
        std::vector<std::size_t> oldRows;   // where each stood before
        for (const std::size_t row : support::rowsOfGroup(db, group)) {
            const auto found = oldRow.find(after.serviceId(row));
            if (found == oldRow.end() || !(before.records[found->second] == db.services[row])) {
                changed[row] = true;  // back from a delete, or its record changed
                if (found == oldRow.end()) {
                    continue;
                }
            }
            rows.push_back(row);
            oldRows.push_back(found->second);
        }
        const std::vector<bool> keptOrder = longestIncreasing(oldRows);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (!keptOrder[i]) {
                changed[rows[i]] = true;
            }
        }
    }
    std::vector<std::size_t> result;
    for (std::size_t row = 0; row < changed.size(); ++row) {
        if (changed[row]) {
            result.push_back(row);
        }
    }
    return result;
}

}  // namespace bv3::edit
