#pragma once
// Reading a QNF list for the commands that build receiver images: a corrupt header stops the
// command (never build images of an empty list from a corrupt file: sent to a receiver they
// would wipe its channels).

#include "channeldb/channel_database.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace bv3::cli {

// Throws CommandFailure with "FILE: Corrupt data table.." for a file without the header, and
// for a list without services unless allowEmpty (its images would empty the receiver); passes
// every other conversion error on (an incomplete list among them).
std::unique_ptr<channeldb::ChannelDatabase> readChannelList(const std::string& qnfPath, bool allowEmpty = false);

struct ReceiverImages {
    std::vector<std::uint8_t> config;
    std::vector<std::uint8_t> service;
};

// Both images of the list, laid out before anything is written. A list the model cannot hold
// fails with the QNF file's name in front of the reason.
ReceiverImages layOutChannelList(const channeldb::ChannelDatabase& db, const std::string& qnfPath,
                                 std::uint8_t configVariant, std::uint8_t modelCode);

}  // namespace bv3::cli
