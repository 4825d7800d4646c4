#pragma once
// Reading a QNF list for the commands that build receiver images: a corrupt header stops the
// command (never build images of an empty list from a corrupt file: sent to a receiver they
// would wipe its channels).

#include "channeldb/channel_database.h"

#include <memory>
#include <string>

namespace bv3::cli {

// Throws CommandFailure with "FILE: Corrupt data table.." for a file without the header, and
// passes every other conversion error on.
std::unique_ptr<channeldb::ChannelDatabase> readChannelList(const std::string& qnfPath);

}  // namespace bv3::cli
