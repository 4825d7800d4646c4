#include "edit/reference_order.h"

#include "edit/edit_error.h"

namespace bv3::edit {

std::vector<std::optional<std::size_t>> matchServices(const channeldb::ChannelDatabase&, const channeldb::ChannelDatabase&) { return {}; }
ReorderReport reorderByReference(ChannelList&, const channeldb::ChannelDatabase&, const ReorderOptions&) { throw EditError("not yet"); }

}  // namespace bv3::edit
