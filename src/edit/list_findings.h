#pragma once
// The findings of a list in memory: the channel-list checks for its model, placed on the lines
// of the QNF text the list saves as and on the rows of its tables, and the favourite entries
// that name no service or no longer the service they named when they entered their list.

#include "channeldb/qnf_check.h"
#include "edit/channel_list.h"
#include "edit/list_state.h"

#include <cstdint>
#include <vector>

namespace bv3::edit {

// The lines of the QNF text of the list, as the writer lays it out, from the counts alone.
channeldb::QnfLineMap qnfLinesOf(const channeldb::ChannelDatabase& db);
// The place of a line of that text.
ListPlace placeOfLine(const channeldb::ChannelDatabase& db, std::size_t line);

std::vector<ListFinding> findListFindings(const ListState& state, std::uint8_t modelCode);

}  // namespace bv3::edit
