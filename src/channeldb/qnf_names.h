#pragma once
// Names a QNF line cannot carry. The format has no escapes: a TAB in a name splits the line
// into one column more, a CR or LF ends it, a Ctrl-Z ends the whole file, and a section tag
// such as "[TS]" anywhere in a line switches the reader to that section. A receiver's image
// can hold any byte in a name, so every list the system writes passes its names through
// qnfSafeName: such a byte becomes '?', and a section tag keeps its letters between
// parentheses ("(TS)"). The names changed so are listed by qnfNameRepairs, for a warning that
// names each record.

#include "channeldb/channel_database.h"
#include "channeldb/check_findings.h"

#include <string>
#include <string_view>
#include <vector>

namespace bv3::channeldb {

// The name as a QNF line can carry it; the name itself when it needs no change.
std::string qnfSafeName(std::string_view name);

// What in the name a QNF line cannot carry ("a Ctrl-Z", "the section tag [TS]"), or an empty
// string when nothing.
std::string qnfUnsafePart(std::string_view name);

// One warning finding per name of the database (antenna, network, provider, service) that
// qnfSafeName changes: where and place name the record (its table and row), the message the
// name, its fault and what is written instead.
std::vector<Finding> qnfNameRepairs(const ChannelDatabase& db);

}  // namespace bv3::channeldb
