#include "edit/changed_services.h"

#include "edit/operation_support.h"

#include <algorithm>
#include <unordered_map>

namespace bv3::edit {

namespace {

// The indices of one longest strictly increasing run of values (patience sorting).
std::vector<std::size_t> longestIncreasing(const std::vector<std::size_t>& values) {
    std::vector<std::size_t> tails;  // index into values of the smallest tail of each length
    std::vector<std::size_t> previous(values.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto at = std::lower_bound(tails.begin(), tails.end(), values[i],
                                         [&](std::size_t t, std::size_t v) { return values[t] < v; });
        if (at != tails.begin()) {
            previous[i] = *(at - 1);
        }
        if (at == tails.end()) {
            tails.push_back(i);
        } else {
            *at = i;
        }
    }
    std::vector<std::size_t> run;
    for (std::size_t i = tails.empty() ? values.size() : tails.back(); i < values.size(); i = previous[i]) {
        run.push_back(i);
    }
    std::reverse(run.begin(), run.end());
    return run;
}

}  // namespace

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
        std::vector<bool> keptOrder(rows.size(), false);
        for (const std::size_t i : longestIncreasing(oldRows)) {
            keptOrder[i] = true;
        }
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
