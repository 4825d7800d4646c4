#pragma once
// Which services a step changed, told by comparing the list before and after it, so that a
// view can select and show them after an undo or a redo: services that came back, services
// whose record changed, and services that moved (those not on the longest run of services that
// kept their order). Toolkit-free, for any front-end.

#include "channeldb/channel_database.h"
#include "edit/channel_list.h"

#include <vector>

namespace bv3::edit {

struct ServiceSnapshot {
    std::vector<ServiceId> ids;
    std::vector<channeldb::ServiceRecord> records;
};

ServiceSnapshot snapshotServices(const ChannelList& list);

// The rows (ascending) of the services of `after` that the change from `before` touched.
std::vector<std::size_t> changedServiceRows(const ServiceSnapshot& before, const ChannelList& after);

}  // namespace bv3::edit
