#pragma once
// The findings of a list in memory: the channel-list checks for its model, on the rows of its
// tables and named by the lines of the QNF text the list saves as, and the favourite entries
// that name no service or no longer the service they named when they entered their list.

#include "channeldb/check_findings.h"
#include "edit/list_state.h"

#include <cstdint>
#include <vector>

namespace bv3::edit {

// Where a finding is in the list: a table row, a favourite entry, or the list as a whole.
using ListPlace = channeldb::ListPlace;

struct ListFinding {
    channeldb::Finding finding;  // where is "line N" of the QNF text the list saves as
    ListPlace place;             // the finding's own place, as the checks gave it
};

std::vector<ListFinding> findListFindings(const ListState& state, std::uint8_t modelCode);

}  // namespace bv3::edit
