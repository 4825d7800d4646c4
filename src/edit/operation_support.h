#pragma once
// What the operations share: the checks of rows, positions and names that make an operation
// refuse before it changes anything, and the group a service belongs to.

#include "channeldb/channel_database.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bv3::edit::support {

inline std::uint8_t groupIndex(const channeldb::ServiceRecord& s) {
    return s.serviceKind == 0 ? 0 : 1;
}

inline const char* groupName(std::uint8_t group) {
    return group == 0 ? "video" : "audio";
}

// The rows of a group's services in list order.
std::vector<std::size_t> rowsOfGroup(const channeldb::ChannelDatabase& db, std::uint8_t group);

// Throws EditError naming the row when it is not a service row of the list.
void checkServiceRow(const channeldb::ChannelDatabase& db, std::size_t row);
// The rows ascending and without repeats, each checked; refuses an empty selection.
std::vector<std::size_t> checkedSelection(const channeldb::ChannelDatabase& db, std::vector<std::size_t> rows);

// Throws EditError when name cannot stand in a QNF line: longer than 40 characters, or holding
// a TAB, CR, LF or Ctrl-Z, or a section tag such as "[TS]" (the reader would split the line, end
// the file or switch sections there). what names the name's owner in the message.
void checkName(std::string_view name, const std::string& what);

std::string quoted(std::string_view text);
std::string plural(std::size_t count, const char* one, const char* many);

}  // namespace bv3::edit::support
